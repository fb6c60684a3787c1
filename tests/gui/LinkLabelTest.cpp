#include "gui/LinkLabel.h"

#include <gtest/gtest.h>

namespace albumora::gui {
namespace {

TEST(LinkLabel, IsALinkOnlyWhileEnabled) {
    LinkLabel link(QStringLiteral("导出"), nullptr);
    EXPECT_EQ(link.text(), QStringLiteral("<a href=\"#\">导出</a>"));
    link.setEnabled(false);
    EXPECT_EQ(link.text(), QStringLiteral("导出"));
    link.setEnabled(true);
    EXPECT_EQ(link.text(), QStringLiteral("<a href=\"#\">导出</a>"));
}

}  // namespace
}  // namespace albumora::gui
