// Whether a user may read and write a file, from the file's owner, group,
// mode and ACL: the kernel's own order of checks, done for a user who is not
// necessarily the one running, so that the doctor can answer for the person
// it reports to and tests can ask for anyone.
#ifndef PADWATCH_CHECK_DOCTOR_NODE_ACCESS_H_
#define PADWATCH_CHECK_DOCTOR_NODE_ACCESS_H_

#include <cstdint>
#include <string>
#include <vector>

// One entry of a POSIX ACL. tag is one of the kAcl* values below; id is the
// user or group for kAclUser and kAclGroup; perm holds 4 (read), 2 (write)
// and 1 (execute).
struct AclEntry {
  std::uint16_t tag = 0;
  std::uint16_t perm = 0;
  std::uint32_t id = 0;
};
constexpr std::uint16_t kAclUserObj = 0x01;
constexpr std::uint16_t kAclUser = 0x02;
constexpr std::uint16_t kAclGroupObj = 0x04;
constexpr std::uint16_t kAclGroup = 0x08;
constexpr std::uint16_t kAclMask = 0x10;
constexpr std::uint16_t kAclOther = 0x20;

// The entries of an ACL as the kernel stores it in the extended attribute
// system.posix_acl_access. A malformed value gives no entries.
std::vector<AclEntry> ParseAcl(const std::string& value);

struct UserIdentity {
  std::uint32_t uid = 0;
  std::uint32_t gid = 0;
  std::vector<std::uint32_t> groups;  // supplementary groups
};

struct FileOwnership {
  std::uint32_t uid = 0;
  std::uint32_t gid = 0;
  unsigned mode = 0;          // permission bits only
  std::vector<AclEntry> acl;  // empty where the file has no ACL
};

// The permission bits (4 read, 2 write) user gets on file. uid 0 gets both,
// as root does whatever the bits say.
unsigned GrantedAccess(const UserIdentity& user, const FileOwnership& file);

#endif  // PADWATCH_CHECK_DOCTOR_NODE_ACCESS_H_
