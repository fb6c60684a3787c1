#include "gui/dialogs/CDlgDownSet.h"

#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "MessageRecorder.h"

namespace albumora::gui {
namespace {

struct Typed {
    const char* threads;
    const char* timeout;
    const char* minSize;
    const char* maxSize;
};

struct ConfirmCase {
    const char* name;
    Typed typed;
    bool accepted;
    SiteDownloadParams stored;  // meaningful when accepted
};

void PrintTo(const ConfirmCase& c, std::ostream* os) {
    *os << c.name;
}

const SiteDownloadParams kBefore{100, 2000, 5, 30};

// Readable in a failure: threads/time-out/min/max.
std::string Fields(const SiteDownloadParams& p) {
    return std::to_string(p.threadCount) + "/" + std::to_string(p.timeoutSec) + "/" +
           std::to_string(p.minSizeK) + "/" + std::to_string(p.maxSizeK);
}

// The dialog over a record that starts as kBefore, its messages recorded.
class DlgDownSetTest : public ::testing::Test {
protected:
    DlgDownSetTest() { dialog.SetMessageFunction(messages.Function()); }

    QLineEdit* Edit(const char* field) { return dialog.findChild<QLineEdit*>(field); }
    void Type(const Typed& typed) {
        Edit("threadCount")->setText(QString::fromUtf8(typed.threads));
        Edit("timeoutSec")->setText(QString::fromUtf8(typed.timeout));
        Edit("minSizeK")->setText(QString::fromUtf8(typed.minSize));
        Edit("maxSizeK")->setText(QString::fromUtf8(typed.maxSize));
    }
    void Confirm() { dialog.findChild<QPushButton*>("okButton")->click(); }

    SiteDownloadParams params = kBefore;
    test::MessageRecorder messages;
    CDlgDownSet dialog{params};
};

class DlgDownSetConfirm : public DlgDownSetTest, public ::testing::WithParamInterface<ConfirmCase> {};

TEST_P(DlgDownSetConfirm, StoresOnlyWhatItAccepts) {
    const ConfirmCase& c = GetParam();
    Type(c.typed);
    Confirm();

    if (c.accepted) {
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_TRUE(messages.texts.isEmpty());
        EXPECT_EQ(Fields(params), Fields(c.stored));
    } else {
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.texts[0].startsWith(QStringLiteral("参数错误：")))
            << messages.texts[0].toStdString();
        // A refused value never reaches the record the download reads.
        EXPECT_EQ(Fields(params), Fields(kBefore));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DlgDownSetConfirm,
    ::testing::Values(ConfirmCase{"LimitsAccepted", {"15", "10", "0", "0"}, true, {0, 0, 15, 10}},
                      ConfirmCase{"SixteenThreads", {"16", "10", "0", "0"}, false, {}},
                      ConfirmCase{"NoThreads", {"0", "30", "0", "0"}, false, {}},
                      ConfirmCase{"TimeoutNine", {"5", "9", "0", "0"}, false, {}},
                      ConfirmCase{"MinusOneIsLargest", {"5", "-1", "0", "0"}, true, {0, 0, 5, 65535}},
                      ConfirmCase{"LowSixteenBitsKept", {"65537", "10", "0", "0"}, true, {0, 0, 1, 10}},
                      ConfirmCase{"EmptySizesStoreZero", {"3", "30", "", ""}, true, {0, 0, 3, 30}},
                      ConfirmCase{
                          "SizesUnchecked", {" 3 ", "+30", "-2", "70000"}, true, {65534, 4464, 3, 30}},
                      ConfirmCase{"NotANumberIsZero", {"3x", "30", "abc", "12.5"}, false, {}},
                      ConfirmCase{"HugeNumberIsZero", {"3", "99999999999999999999", "0", "0"}, false, {}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(DlgDownSetTest, CancelAfterARefusalSavesNothing) {
    Type({"0", "5", "1", "1"});
    Confirm();
    // The first field that is wrong is named, with what it takes.
    ASSERT_EQ(messages.texts, QStringList{QStringLiteral("参数错误：线程数须在1到15之间")});
    Type({"3", "5", "1", "1"});
    Confirm();
    EXPECT_EQ(messages.texts.last(), QStringLiteral("参数错误：超时须不少于10秒"));
    dialog.reject();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(Fields(params), Fields(kBefore));
}

}  // namespace
}  // namespace albumora::gui
