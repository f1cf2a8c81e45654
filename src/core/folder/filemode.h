#pragma once

#include <QString>

// A file written anew in place of another keeps what the other one's owner gave it.
namespace FileMode {

// Gives `to` the owner, group and permission bits of `from`, as far as the process
// may set them: the owner only for the superuser, the group for a member of it. False
// when `from` cannot be read or the permission bits cannot be set.
bool copy(const QString& from, const QString& to);

} // namespace FileMode
