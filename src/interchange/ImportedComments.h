#pragma once

#include "core/PNGComment.h"

class CommentListTarget;

// Adds the comments read by an import (velmx or delimited text) to a target, the way
// both imports do it: texts taken as Expansion::Expand (a document expands them against
// its image, an absent text then becoming ""), comments appended at the end, and with
// replace set every comment of the target's list whose keyword equals an imported one
// (exact, case-sensitive) removed first, as are earlier imported comments with the
// keyword of a later one, so only the last of them remains. Comments without keyword
// replace nothing.
void appendImportedComments(CommentListTarget &target, const CommentList &imported, bool replace);
