#include "check/doctor/node_access.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kAclVersion = 2;
constexpr std::size_t kHeaderSize = 4;
constexpr std::size_t kEntrySize = 8;

std::uint32_t LittleEndian(const std::string& bytes, std::size_t at, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  }
  return value;
}

bool InGroup(const UserIdentity& user, std::uint32_t gid) {
  return user.gid == gid ||
         std::find(user.groups.begin(), user.groups.end(), gid) != user.groups.end();
}

}  // namespace

std::vector<AclEntry> ParseAcl(const std::string& value) {
  if (value.size() < kHeaderSize || (value.size() - kHeaderSize) % kEntrySize != 0 ||
      LittleEndian(value, 0, 4) != kAclVersion) {
    return {};
  }
  std::vector<AclEntry> entries;
  for (std::size_t at = kHeaderSize; at < value.size(); at += kEntrySize) {
    AclEntry entry;
    entry.tag = static_cast<std::uint16_t>(LittleEndian(value, at, 2));
    entry.perm = static_cast<std::uint16_t>(LittleEndian(value, at + 2, 2) & 7u);
    entry.id = LittleEndian(value, at + 4, 4);
    entries.push_back(entry);
  }
  return entries;
}

unsigned GrantedAccess(const UserIdentity& user, const FileOwnership& file) {
  if (user.uid == 0) return 6;
  const unsigned ownerBits = (file.mode >> 6) & 7u;
  const unsigned groupBits = (file.mode >> 3) & 7u;
  const unsigned otherBits = file.mode & 7u;
  if (user.uid == file.uid) return ownerBits & 6u;
  if (file.acl.empty()) {
    return (InGroup(user, file.gid) ? groupBits : otherBits) & 6u;
  }
  // With an ACL: a named user's entry, then the owning and named groups,
  // each limited by the mask; the group bits of the mode are the mask.
  unsigned mask = 7;
  for (const AclEntry& entry : file.acl) {
    if (entry.tag == kAclMask) mask = entry.perm;
  }
  for (const AclEntry& entry : file.acl) {
    if (entry.tag == kAclUser && entry.id == user.uid) return entry.perm & mask & 6u;
  }
  bool matchedGroup = false;
  unsigned fromGroups = 0;
  for (const AclEntry& entry : file.acl) {
    const bool owning = entry.tag == kAclGroupObj && InGroup(user, file.gid);
    const bool named = entry.tag == kAclGroup && InGroup(user, entry.id);
    if (owning || named) {
      matchedGroup = true;
      fromGroups |= entry.perm;
    }
  }
  if (matchedGroup) return fromGroups & mask & 6u;
  return otherBits & 6u;
}
