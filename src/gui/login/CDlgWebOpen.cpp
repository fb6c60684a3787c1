#include "gui/login/CDlgWebOpen.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/login/LoginWebView.h"

namespace albumora::gui {

namespace {

constexpr int kAddressToButtonGap = 5;
constexpr QSize kPreferredSize(1000, 700);

// Large enough for a site's login page, small enough to fit the screen it opens on.
QSize InitialSize(const QWidget* owner) {
    const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return kPreferredSize;
    }
    const QSize room = screen->availableSize() * 9 / 10;
    return kPreferredSize.boundedTo(room);
}

}  // namespace

CDlgWebOpen::CDlgWebOpen(QWebEngineProfile* profile, const QString& startAddress, QWidget* owner)
    : QDialog(owner),
      m_address(new QLineEdit(this)),
      m_open(new QPushButton(QStringLiteral("打开"), this)),
      m_browser(new LoginWebView(profile, this)) {
    setWindowTitle(QStringLiteral("登录成功后手动关闭对话框"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);

    // The browser takes every pixel the window gains; the button keeps to the right edge and the
    // address line stretches up to it.
    auto* addressRow = new QHBoxLayout;
    addressRow->setSpacing(kAddressToButtonGap);
    addressRow->addWidget(new QLabel(QStringLiteral("网址："), this));
    addressRow->addWidget(m_address, 1);
    addressRow->addWidget(m_open);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(addressRow);
    layout->addWidget(m_browser, 1);

    m_open->setDefault(true);
    connect(m_open, &QPushButton::clicked, this, &CDlgWebOpen::openTypedAddress);
    resize(InitialSize(owner));

    if (startAddress.isEmpty()) {
        m_address->setText(QGuiApplication::clipboard()->text());
    } else {
        m_address->setText(startAddress);
        m_browser->setUrl(QUrl::fromUserInput(startAddress));
    }
}

void CDlgWebOpen::openTypedAddress() {
    // The text goes as typed; like a browser's address bar, a bare host name is read as http.
    m_browser->setUrl(QUrl::fromUserInput(m_address->text()));
}

}  // namespace albumora::gui
