#include "gui/dialogs/CDlgDownSet.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/settings/SettingsEditing.h"

namespace albumora::gui {

namespace {

// A signed decimal integer as typed; anything that is not one reads as 0.
long long TypedInteger(const QLineEdit* edit) {
    bool ok = false;
    const long long value = edit->text().trimmed().toLongLong(&ok, 10);
    return ok ? value : 0;
}

QLineEdit* NumberEdit(std::uint16_t value, const char* objectName) {
    auto* edit = new QLineEdit(QString::number(static_cast<int>(value)));
    edit->setObjectName(QLatin1String(objectName));
    return edit;
}

}  // namespace

CDlgDownSet::CDlgDownSet(SiteDownloadParams& params, QWidget* parent)
    : QDialog(parent),
      m_params(params),
      m_threads(NumberEdit(params.threadCount, "threadCount")),
      m_timeout(NumberEdit(params.timeoutSec, "timeoutSec")),
      m_minSize(NumberEdit(params.minSizeK, "minSizeK")),
      m_maxSize(NumberEdit(params.maxSizeK, "maxSizeK")) {
    setWindowTitle(QStringLiteral("设置"));

    auto* group = new QGroupBox(QStringLiteral("下载参数设置"));
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("线程数(1~15)："), m_threads);
    form->addRow(QStringLiteral("超时(S, >=10)："), m_timeout);
    form->addRow(QStringLiteral("图片最小值(K)："), m_minSize);
    form->addRow(QStringLiteral("图片最大值(K)："), m_maxSize);

    QPushButton* ok = NewConfirmButton();
    connect(ok, &QPushButton::clicked, this, &CDlgDownSet::OnConfirm);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
}

void CDlgDownSet::OnConfirm() {
    SiteDownloadParams typed = m_params;
    typed.threadCount = ToStoredField(TypedInteger(m_threads));
    typed.timeoutSec = ToStoredField(TypedInteger(m_timeout));
    typed.minSizeK = ToStoredField(TypedInteger(m_minSize));
    typed.maxSizeK = ToStoredField(TypedInteger(m_maxSize));
    if (!AcceptDownloadParams(typed)) {
        // The user is told which field and what it takes, not left to guess among four.
        const bool threadsWrong = !AcceptsThreadCount(typed.threadCount);
        m_message(this, threadsWrong ? QStringLiteral("参数错误：线程数须在1到15之间")
                                     : QStringLiteral("参数错误：超时须不少于10秒"));
        (threadsWrong ? m_threads : m_timeout)->setFocus();
        return;
    }
    m_params = typed;
    accept();
}

}  // namespace albumora::gui
