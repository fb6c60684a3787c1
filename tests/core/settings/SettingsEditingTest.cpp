#include "core/settings/SettingsEditing.h"

#include <gtest/gtest.h>

namespace albumora {
namespace {

TEST(ToggleOption, ShopPictureOptionsExcludeEachOther) {
    SiteNamingRecord record;
    ToggleOption(record, OPT_DESCRIPTION_PICTURES_ONLY);
    ToggleOption(record, OPT_MAIN_PICTURES_ONLY);
    EXPECT_EQ(record.optionFlags, OPT_MAIN_PICTURES_ONLY);
    ToggleOption(record, OPT_DESCRIPTION_PICTURES_ONLY);
    EXPECT_EQ(record.optionFlags, OPT_DESCRIPTION_PICTURES_ONLY);
    ToggleOption(record, OPT_DESCRIPTION_PICTURES_ONLY);
    EXPECT_EQ(record.optionFlags, 0);
    // The other bits are independent.
    record.optionFlags = OPT_FIX_FORMAT | OPT_MAIN_PICTURES_ONLY;
    ToggleOption(record, OPT_SKIP_DOWNLOADED);
    SetOption(record, OPT_FIX_FORMAT, false);
    SetOption(record, OPT_MAIN_PICTURES_ONLY, true);
    EXPECT_EQ(record.optionFlags, OPT_SKIP_DOWNLOADED | OPT_MAIN_PICTURES_ONLY);
}

TEST(IsOptionEnabled, SiteSpecificItems) {
    EXPECT_TRUE(IsOptionEnabled(OPT_YUPOO_LARGE, 7));
    EXPECT_FALSE(IsOptionEnabled(OPT_YUPOO_LARGE, 18));
    EXPECT_TRUE(IsOptionEnabled(OPT_MAIN_PICTURES_ONLY, 16));
    EXPECT_FALSE(IsOptionEnabled(OPT_DESCRIPTION_PICTURES_ONLY, 18));
    EXPECT_TRUE(IsOptionEnabled(OPT_FIX_ORDER, 18));
}

struct ParamsRow {
    long long threads;
    long long timeout;
    bool accepted;
    const char* label;
};

class DownloadParamsDialog : public ::testing::TestWithParam<ParamsRow> {};

TEST_P(DownloadParamsDialog, AcceptsByTheStoredSixteenBits) {
    SiteDownloadParams params;
    params.threadCount = ToStoredField(GetParam().threads);
    params.timeoutSec = ToStoredField(GetParam().timeout);
    EXPECT_EQ(AcceptDownloadParams(params), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DownloadParamsDialog,
    ::testing::Values(ParamsRow{15, 10, true, "FifteenThreadsTenSeconds"},
                      ParamsRow{16, 30, false, "ThreadsAboveFifteen"}, ParamsRow{0, 30, false, "NoThreads"},
                      ParamsRow{5, 9, false, "TimeoutBelowTen"},
                      ParamsRow{5, -1, true, "NegativeTimeoutStoredAsMax"},  // stored as 65535
                      ParamsRow{65537, 30, true, "ThreadsWrapToOne"}         // stored as 1
                      ),
    [](const ::testing::TestParamInfo<ParamsRow>& row) { return std::string(row.param.label); });

}  // namespace
}  // namespace albumora
