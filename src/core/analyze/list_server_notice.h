// A list server's own notices to its administrator about a post it turned away: fml's alerts of
// a mail loop ("Loop Alert: Duplicated Message-ID") and its refusals ("NOT MEMBER article from
// ..."), which name the address at fault in the words above the copy of the post.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

class Recipients;

// Whether a mail is such a notice: the list server marks its mails with its name (X-MLServer),
// sends its notices from the list's administrative address ("dev-admin@", "owner-dev@"), and
// the subject says what went wrong. A post the list distributed carries the same mark, under the
// poster's address and subject.
bool IsListServerAlert(std::string_view listServer, std::string_view from,
                       std::string_view subject);

// The addresses the notice names above the copy, other than its own sender's and addressee's.
void ReadListServerAlert(std::string_view notice, const std::vector<std::string>& own,
                         Recipients& failed);

}  // namespace tarnwick
