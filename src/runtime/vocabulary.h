// The voice table (voice/vocabulary.tsv), built into the program: the phrase a speech server
// says for each word of the voice folder.
#pragma once

#include <optional>
#include <string_view>

namespace kestrel {

// The phrase of a word (its file name without ".wav", in lower case), or nothing when the
// table has no such word. A pause reads "<silence MS>", a tone "<tone HZ MS>".
std::optional<std::string_view> PhraseOfWord(std::string_view word);

}  // namespace kestrel
