#include "check/doctor/node_access.h"

#include <string>

#include "gtest/gtest.h"

namespace {

constexpr std::uint32_t kOwner = 0;
constexpr std::uint32_t kInput = 100;
constexpr std::uint32_t kPlayer = 1000;

struct AccessCase {
  const char* name;
  UserIdentity user;
  FileOwnership file;
  unsigned granted;
};

class GrantedAccessTest : public ::testing::TestWithParam<AccessCase> {};

TEST_P(GrantedAccessTest, FollowsTheKernelsOrder) {
  EXPECT_EQ(GrantedAccess(GetParam().user, GetParam().file), GetParam().granted);
}

const UserIdentity kPlain{kPlayer, kPlayer, {}};
const UserIdentity kInGroup{kPlayer, kPlayer, {kInput}};

INSTANTIATE_TEST_SUITE_P(
    Cases, GrantedAccessTest,
    ::testing::Values(
        AccessCase{"RootAlways", {0, 0, {}}, {kPlayer, kInput, 0000, {}}, 6},
        AccessCase{"Other", kPlain, {kOwner, kInput, 0664, {}}, 4},
        AccessCase{"NotInGroup", kPlain, {kOwner, kInput, 0660, {}}, 0},
        AccessCase{"SupplementaryGroup", kInGroup, {kOwner, kInput, 0660, {}}, 6},
        // The owner's bits apply even when the group's would give more.
        AccessCase{"OwnerBitsOnly", kInGroup, {kPlayer, kInput, 0460, {}}, 4},
        AccessCase{"AclNamedUser",
                   kPlain,
                   {kOwner,
                    kInput,
                    0660,
                    {{kAclUserObj, 6, 0},
                     {kAclUser, 6, kPlayer},
                     {kAclGroupObj, 6, 0},
                     {kAclMask, 6, 0},
                     {kAclOther, 0, 0}}},
                   6},
        AccessCase{"AclMaskLimitsNamedUser",
                   kPlain,
                   {kOwner,
                    kInput,
                    0640,
                    {{kAclUserObj, 6, 0},
                     {kAclUser, 6, kPlayer},
                     {kAclGroupObj, 6, 0},
                     {kAclMask, 4, 0},
                     {kAclOther, 0, 0}}},
                   4},
        AccessCase{"AclNamedGroup",
                   kInGroup,
                   {kOwner,
                    0,
                    0600,
                    {{kAclUserObj, 6, 0},
                     {kAclGroupObj, 0, 0},
                     {kAclGroup, 6, kInput},
                     {kAclMask, 6, 0},
                     {kAclOther, 0, 0}}},
                   6},
        // A matching group entry that grants nothing does not fall to other.
        AccessCase{
            "AclGroupDeniesBeforeOther",
            kInGroup,
            {kOwner,
             kInput,
             0604,
             {{kAclUserObj, 6, 0}, {kAclGroupObj, 0, 0}, {kAclMask, 6, 0}, {kAclOther, 4, 0}}},
            0}),
    [](const ::testing::TestParamInfo<AccessCase>& info) { return info.param.name; });

TEST(ParseAclTest, ReadsTheKernelsLayoutAndRefusesAnythingElse) {
  const std::string entry("\x02\x00\x06\x00\xe8\x03\x00\x00", 8);  // user 1000 rw-
  const std::string version2("\x02\x00\x00\x00", 4);
  const std::vector<AclEntry> acl = ParseAcl(version2 + entry);
  ASSERT_EQ(acl.size(), 1u);
  EXPECT_EQ(acl[0].tag, kAclUser);
  EXPECT_EQ(acl[0].perm, 6u);
  EXPECT_EQ(acl[0].id, 1000u);
  EXPECT_TRUE(ParseAcl(std::string("\x01\x00\x00\x00", 4) + entry).empty());  // version
  EXPECT_TRUE(ParseAcl(version2 + entry.substr(0, 5)).empty());               // cut short
  EXPECT_TRUE(ParseAcl("").empty());
}

}  // namespace
