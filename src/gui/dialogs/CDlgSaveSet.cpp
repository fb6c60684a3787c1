#include "gui/dialogs/CDlgSaveSet.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/settings/SettingsEditing.h"

namespace albumora::gui {

namespace {

QString ToQString(WStringView text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QLineEdit* SlotEdit(const NamingTextSlot& slot, const char* objectName) {
    auto* edit = new QLineEdit(QString::fromStdU16String(SlotText(slot)));
    edit->setObjectName(QLatin1String(objectName));
    return edit;
}

void StoreEdit(NamingTextSlot& slot, const QLineEdit* edit) {
    SetNamingText(slot, edit->text().toStdU16String());
}

// Two labelled edits side by side on one row of the group's grid.
void AddEditPair(QGridLayout* grid, int row, const QString& firstLabel, QLineEdit* first,
                 const QString& secondLabel, QLineEdit* second) {
    grid->addWidget(new QLabel(firstLabel), row, 0);
    grid->addWidget(first, row, 1);
    grid->addWidget(new QLabel(secondLabel), row, 2);
    grid->addWidget(second, row, 3);
}

// One radio per mode text on a row of the group's grid, the radio's id being the mode value; none
// is checked when the stored value has no radio.
template <std::size_t N>
QButtonGroup* AddModeRadios(QGridLayout* grid, int row, const WStringView (&texts)[N], std::uint8_t current,
                            const char* objectName, QWidget* owner) {
    auto* group = new QButtonGroup(owner);
    group->setObjectName(QLatin1String(objectName));
    auto* radios = new QHBoxLayout;
    for (std::size_t mode = 0; mode < N; ++mode) {
        auto* radio = new QRadioButton(ToQString(texts[mode]));
        group->addButton(radio, static_cast<int>(mode));
        radio->setChecked(mode == current);
        radios->addWidget(radio);
    }
    radios->addStretch();
    grid->addLayout(radios, row, 0, 1, 4);
    return group;
}

}  // namespace

CDlgSaveSet::CDlgSaveSet(SiteNamingRecord& record, QWidget* parent)
    : QDialog(parent),
      m_record(record),
      m_pictureNamePrefix(SlotEdit(record.pictureNamePrefix, "pictureNamePrefix")),
      m_pictureNameSuffix(SlotEdit(record.pictureNameSuffix, "pictureNameSuffix")),
      m_replaceFrom(SlotEdit(record.replaceFrom, "replaceFrom")),
      m_replaceTo(SlotEdit(record.replaceTo, "replaceTo")),
      m_albumFolderPrefix(SlotEdit(record.albumFolderPrefix, "albumFolderPrefix")),
      m_albumFolderSuffix(SlotEdit(record.albumFolderSuffix, "albumFolderSuffix")) {
    setWindowTitle(QStringLiteral("设置"));

    auto* pictureGroup = new QGroupBox(QStringLiteral("文件名"));
    auto* pictureGrid = new QGridLayout(pictureGroup);
    AddEditPair(pictureGrid, 0, QStringLiteral("前缀"), m_pictureNamePrefix, QStringLiteral("后缀"),
                m_pictureNameSuffix);
    m_pictureNameModes =
        AddModeRadios(pictureGrid, 1, kPictureNameModeTexts, record.pictureNameMode, "pictureNameMode", this);
    AddEditPair(pictureGrid, 2, QStringLiteral("替换"), m_replaceFrom, QStringLiteral("替换为"), m_replaceTo);

    auto* folderGroup = new QGroupBox(QStringLiteral("相册路径(相册名)"));
    auto* folderGrid = new QGridLayout(folderGroup);
    AddEditPair(folderGrid, 0, QStringLiteral("前缀"), m_albumFolderPrefix, QStringLiteral("后缀"),
                m_albumFolderSuffix);
    m_albumFolderModes =
        AddModeRadios(folderGrid, 1, kAlbumFolderModeTexts, record.albumFolderMode, "albumFolderMode", this);

    auto* help = new QLabel(QStringLiteral("<a href=\"#help\">前后缀说明</a>"));
    help->setObjectName(QStringLiteral("helpLink"));
    connect(help, &QLabel::linkActivated, this, &CDlgSaveSet::OnHelp);

    QPushButton* ok = NewConfirmButton();
    connect(ok, &QPushButton::clicked, this, &CDlgSaveSet::OnConfirm);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(help);
    bottom->addStretch();
    bottom->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pictureGroup);
    layout->addWidget(folderGroup);
    layout->addLayout(bottom);
}

QString CDlgSaveSet::HelpText() {
    return QStringLiteral(
               "设置前后缀，可以在图片本来的文件名前后加上指定的字符\n"
               "如：图片本来的文件名为：kvx27.jpg，如果前缀为空，后缀为_com\n"
               "则最后图片名将变为kvx27_com.jpg\n") +
           QStringLiteral(
               "如果前缀为www_，后缀为_com\n"
               "则最后图片名将变为www_kvx27_com.jpg\n") +
           QStringLiteral(
               "相册名那里前后缀一样\n"
               "同时，支持转义字符，当前后缀中含有转义字符时，程序会将转义字符转换为转义字符所表示的字符串"
               "\n") +
           QStringLiteral("转义字符如下（问号为英文的问号，相册名的转义字符只支持?1,?3,?9）：\n") +
           QStringLiteral(
               "?1:相册名称\n"
               "?2:图片在相册中的序号\n"
               "?3:相册在列表中的序号(格式为：1,2,3...)\n"
               "?4:相册在列表中的序号(倒序)\n"
               "?5:相册创建时间(仅QQ群相册有效)\n"
               "?6:选中的相册数\n"
               "?7:总共的相册数(选中的+未选中的)\n"
               "?9:相册在列表中的序号(格式为：0001,0002,0003...)");
}

void CDlgSaveSet::OnHelp() {
    m_message(this, HelpText());
}

void CDlgSaveSet::OnConfirm() {
    const int pictureNameMode = m_pictureNameModes->checkedId();
    const int albumFolderMode = m_albumFolderModes->checkedId();
    if (albumFolderMode != 0 && albumFolderMode != 1) {
        m_message(this, QStringLiteral("请输入一个在 %1 和 %2 之间的整数。").arg(0).arg(1));
        return;
    }
    StoreEdit(m_record.pictureNamePrefix, m_pictureNamePrefix);
    StoreEdit(m_record.pictureNameSuffix, m_pictureNameSuffix);
    StoreEdit(m_record.replaceFrom, m_replaceFrom);
    StoreEdit(m_record.replaceTo, m_replaceTo);
    StoreEdit(m_record.albumFolderPrefix, m_albumFolderPrefix);
    StoreEdit(m_record.albumFolderSuffix, m_albumFolderSuffix);
    // A picture-name group with no radio checked stores 255, which the naming takes as numbering.
    m_record.pictureNameMode = static_cast<std::uint8_t>(pictureNameMode);
    m_record.albumFolderMode = static_cast<std::uint8_t>(albumFolderMode);
    accept();
}

}  // namespace albumora::gui
