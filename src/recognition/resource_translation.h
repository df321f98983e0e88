// Translations of "res" resources: the site language's text of the resource, as "kpsText".
#pragma once

#include "recognition/parse_context.h"

namespace kpx {

// Copies the root's "kpsShowTranslations" onto the resource node and stores the translation (in
// the project's "siteLanguage") of its name as "kpsText", with "\n" written as "<br>", and
// "kpsBlockIsWhiteSpace" when it holds only white space.
void TranslateResource(ParseContext& context, PageNode& resource);

}  // namespace kpx
