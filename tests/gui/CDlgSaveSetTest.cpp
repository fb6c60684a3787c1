#include "gui/dialogs/CDlgSaveSet.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "MessageRecorder.h"

namespace albumora::gui {
namespace {

QLineEdit* Edit(CDlgSaveSet& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(name);
}

QButtonGroup* Modes(CDlgSaveSet& dialog, const char* name) {
    return dialog.findChild<QButtonGroup*>(name);
}

void Confirm(CDlgSaveSet& dialog) {
    dialog.findChild<QPushButton*>("okButton")->click();
}

SiteNamingRecord SampleRecord() {
    SiteNamingRecord record;
    SetNamingText(record.pictureNamePrefix, u"?2) ");
    SetNamingText(record.albumFolderSuffix, u"_?3");
    record.optionFlags = OPT_FIX_ORDER | OPT_OPEN_FOLDER_WHEN_DONE;
    record.pictureNameMode = 1;
    record.albumFolderMode = 0;
    return record;
}

bool SameRecord(const SiteNamingRecord& a, const SiteNamingRecord& b) {
    return a.pictureNamePrefix == b.pictureNamePrefix && a.pictureNameSuffix == b.pictureNameSuffix &&
           a.replaceFrom == b.replaceFrom && a.replaceTo == b.replaceTo &&
           a.albumFolderPrefix == b.albumFolderPrefix && a.albumFolderSuffix == b.albumFolderSuffix &&
           a.optionFlags == b.optionFlags && a.pictureNameMode == b.pictureNameMode &&
           a.albumFolderMode == b.albumFolderMode;
}

TEST(DlgSaveSet, StoresEveryTextCutTo38Characters) {
    SiteNamingRecord record = SampleRecord();
    CDlgSaveSet dialog(record);
    const QString forty = QStringLiteral("一二三四五六七八九十").repeated(4);
    Edit(dialog, "pictureNamePrefix")->setText(forty);
    Edit(dialog, "pictureNameSuffix")->setText("_com");
    Edit(dialog, "replaceFrom")->setText("a");
    Edit(dialog, "replaceTo")->setText("b");
    Edit(dialog, "albumFolderPrefix")->setText("?9 ");
    Edit(dialog, "albumFolderSuffix")->setText("");
    Confirm(dialog);

    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(SlotText(record.pictureNamePrefix), forty.left(38).toStdU16String());
    EXPECT_EQ(record.pictureNamePrefix[38], u'\0');
    EXPECT_EQ(SlotText(record.pictureNameSuffix), u"_com");
    EXPECT_EQ(SlotText(record.replaceFrom), u"a");
    EXPECT_EQ(SlotText(record.replaceTo), u"b");
    EXPECT_EQ(SlotText(record.albumFolderPrefix), u"?9 ");
    EXPECT_EQ(SlotText(record.albumFolderSuffix), u"");
    EXPECT_EQ(record.optionFlags, OPT_FIX_ORDER | OPT_OPEN_FOLDER_WHEN_DONE);
}

TEST(DlgSaveSet, AddressModeIsStoredAndShownOnReopening) {
    SiteNamingRecord record = SampleRecord();
    {
        CDlgSaveSet dialog(record);
        Modes(dialog, "pictureNameMode")->button(2)->click();
        Modes(dialog, "albumFolderMode")->button(1)->click();
        Confirm(dialog);
        ASSERT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(record.pictureNameMode, 2);
    EXPECT_EQ(record.albumFolderMode, 1);

    CDlgSaveSet reopened(record);
    EXPECT_EQ(Edit(reopened, "pictureNamePrefix")->text(), "?2) ");
    EXPECT_EQ(Edit(reopened, "albumFolderSuffix")->text(), "_?3");
    EXPECT_EQ(Modes(reopened, "pictureNameMode")->checkedButton()->text(), "网址");
    EXPECT_EQ(Modes(reopened, "albumFolderMode")->checkedButton()->text(), "无");
}

TEST(DlgSaveSet, CancelLeavesTheRecordAlone) {
    SiteNamingRecord record = SampleRecord();
    CDlgSaveSet dialog(record);
    Edit(dialog, "pictureNamePrefix")->setText("changed");
    Modes(dialog, "pictureNameMode")->button(0)->click();
    dialog.reject();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(SameRecord(record, SampleRecord()));
}

TEST(DlgSaveSet, AnAlbumFolderModeWithoutRadioIsRefused) {
    SiteNamingRecord record = SampleRecord();
    record.albumFolderMode = 7;
    const SiteNamingRecord before = record;
    test::MessageRecorder messages;
    CDlgSaveSet dialog(record);
    dialog.SetMessageFunction(messages.Function());
    EXPECT_EQ(Modes(dialog, "albumFolderMode")->checkedButton(), nullptr);
    Edit(dialog, "pictureNamePrefix")->setText("new");
    Confirm(dialog);

    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("请输入一个在 0 和 1 之间的整数。")});
    EXPECT_TRUE(SameRecord(record, before));

    Modes(dialog, "albumFolderMode")->button(0)->click();
    Confirm(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(SlotText(record.pictureNamePrefix), u"new");
}

TEST(DlgSaveSet, APictureNameModeWithoutRadioStores255) {
    SiteNamingRecord record = SampleRecord();
    record.pictureNameMode = 9;
    CDlgSaveSet dialog(record);
    Confirm(dialog);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(record.pictureNameMode, 255);
}

TEST(DlgSaveSet, TheHelpLinkShowsTheFiveTextsInOne) {
    SiteNamingRecord record = SampleRecord();
    test::MessageRecorder messages;
    CDlgSaveSet dialog(record);
    dialog.SetMessageFunction(messages.Function());
    emit dialog.findChild<QLabel*>("helpLink")->linkActivated("#help");

    ASSERT_EQ(messages.texts.size(), 1);
    const QString& help = messages.texts.front();
    EXPECT_TRUE(help.startsWith("设置前后缀，可以在图片本来的文件名前后加上指定的字符\n如："));
    // The joins between the five texts: each but the last ends in a line feed.
    EXPECT_TRUE(help.contains("kvx27_com.jpg\n如果前缀为www_"));
    EXPECT_TRUE(help.contains("www_kvx27_com.jpg\n相册名那里前后缀一样\n"));
    EXPECT_TRUE(help.contains(
        "所表示的字符串\n转义字符如下（问号为英文的问号，相册名的转义字符只支持?1,?3,?9）：\n?1:相册名称\n"));
    EXPECT_TRUE(
        help.endsWith("?7:总共的相册数(选中的+未选中的)\n?9:相册在列表中的序号(格式为：0001,0002,0003...)"));
    EXPECT_FALSE(help.contains("?8"));
}

}  // namespace
}  // namespace albumora::gui
