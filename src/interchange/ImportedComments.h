#pragma once

#include "core/PNGComment.h"

class CommentListTarget;

// Adds the comments read by an import (velmx or delimited text) to a target, the way
// both imports do it: texts expanded against the target's image when it has one (an
// absent text then becomes ""), comments appended at the end without a container, and
// with replace set every comment of the target's list whose keyword equals an imported
// one (exact, case-sensitive) removed first, as are earlier imported comments with the
// keyword of a later one, so only the last of them remains. Comments without keyword
// replace nothing. Ends with interchangeFinished(Import).
void appendImportedComments(CommentListTarget &target, const CommentList &imported, bool replace);
