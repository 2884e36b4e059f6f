#include "runtime/vocabulary.h"

namespace kestrel {
namespace {

struct WordPhrase {
  std::string_view word;
  std::string_view phrase;
};

// Written from voice/vocabulary.tsv when the build is configured.
constexpr WordPhrase kPhrases[] = {
#include "vocabulary_phrases.inc"
};

}  // namespace

std::optional<std::string_view> PhraseOfWord(std::string_view word) {
  for (const WordPhrase& row : kPhrases) {
    if (row.word == word) return row.phrase;
  }
  return std::nullopt;
}

}  // namespace kestrel
