#include "platform/MailTo.h"

#include <gtest/gtest.h>

#include "platform/ShellOpen.h"

using namespace kc;

namespace {

struct LinkRow {
  const char *name;
  std::vector<std::string> addresses;
  std::optional<std::string> link;
};

const LinkRow kLinks[] = {
    {"NoAddressIsAnEmptyMail", {}, "mailto:"},
    {"OneAddress", {"bob@example.org"}, "mailto:bob@example.org"},
    {"TwoJoinedByComma", {"a@x.org", "b.c+tag@y.org"}, "mailto:a@x.org,b.c+tag@y.org"},
    {"NonAsciiAsUtf8Percent", {"j\xC3\xBC@x.org"}, "mailto:j%C3%BC@x.org"},
    {"AttachmentRefused", {"a@x.org?attach=/home/u/.ssh/id_rsa"}, std::nullopt},
    {"SecondHeaderRefused", {"a@x.org&body=hi"}, std::nullopt},
    {"EncodedQuestionMarkRefused", {"a@x.org%3Fattach=/etc/passwd"}, std::nullopt},
    {"BlankRefused", {"a b@x.org"}, std::nullopt},
    {"TabRefused", {"a\t@x.org"}, std::nullopt},
    {"LineBreakRefused", {"a@x.org\r\nBcc: c@y"}, std::nullopt},
    {"ExtraRecipientRefused", {"a@x.org,evil@y.org"}, std::nullopt},
    {"SemicolonListRefused", {"a@x.org;evil@y.org"}, std::nullopt},
    {"FragmentRefused", {"a@x.org#x"}, std::nullopt},
    {"NoAtRefused", {"nobody"}, std::nullopt},
    {"TwoAtsRefused", {"a@b@c"}, std::nullopt},
    {"EmptyLocalPartRefused", {"@x.org"}, std::nullopt},
    {"OneBadAddressSpoilsTheLink", {"a@x.org", "b@y.org?cc=z@w"}, std::nullopt},
};

class MailToLinks : public ::testing::TestWithParam<LinkRow> {};

TEST_P(MailToLinks, BuildsOrRefuses) { EXPECT_EQ(MailToLink(GetParam().addresses), GetParam().link); }

INSTANTIATE_TEST_SUITE_P(Table, MailToLinks, ::testing::ValuesIn(kLinks),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST(MailTo, SafeLinkLeavesUnsafeAddressesOut) {
  EXPECT_EQ(MailToSafeLink({"a@x.org", "b@y.org?attach=/etc/passwd", "c d@z", "e@w.org"}), "mailto:a@x.org,e@w.org");
  EXPECT_EQ(MailToSafeLink({"x?@y"}), "mailto:");
}

TEST(MailTo, OpensOnlySafeLinksThroughTheShell) {
  std::vector<std::string> opened;
  SetShellOpenSink([&](const std::string &Target) {
    opened.push_back(Target);
    return true;
  });
  EXPECT_TRUE(OpenMailTo({"a@x.org"}));
  EXPECT_FALSE(OpenMailTo({"a@x.org?attach=/etc/passwd"}));
  SetShellOpenSink({});
  EXPECT_EQ(opened, std::vector<std::string>{"mailto:a@x.org"});
}

} // namespace
