// Tags of items and checkpoints (an integer or an owned text) and the
// hints of items.
#include "richtext/document/RVItem.h"

namespace kc {

TRVTag TRVTag::FromText(std::string Text) {
  TRVTag t;
  t.FText = std::make_unique<std::string>(std::move(Text));
  return t;
}

const std::string &TRVTag::AsText() const {
  static const std::string empty;
  return FText ? *FText : empty;
}

void TRVTag::Clear() {
  FInt = 0;
  FText.reset();
}

TRVTag::TRVTag(const TRVTag &Other)
    : FInt(Other.FInt), FText(Other.FText ? std::make_unique<std::string>(*Other.FText) : nullptr) {}

TRVTag &TRVTag::operator=(const TRVTag &Other) {
  if (this != &Other) {
    FInt = Other.FInt;
    FText = Other.FText ? std::make_unique<std::string>(*Other.FText) : nullptr;
  }
  return *this;
}

bool operator==(const TRVTag &A, const TRVTag &B) {
  if (A.IsText() || B.IsText()) return A.AsText() == B.AsText();
  return A.FInt == B.FInt;
}

bool AreTagsEqual(const TRVTag &A, const TRVTag &B, bool TagsArePChars) {
  if (!TagsArePChars) return A.AsInt() == B.AsInt();
  // No text is not the same as an empty text.
  if (!A.IsText() || !B.IsText()) return A.IsText() == B.IsText();
  return A.AsText() == B.AsText();
}

TRVItemHint &TRVItemHint::operator=(std::string Text) {
  if (Text.empty()) FText.reset();
  else if (FText) *FText = std::move(Text);
  else FText = std::make_unique<std::string>(std::move(Text));
  return *this;
}

const std::string &TRVItemHint::str() const {
  static const std::string empty;
  return FText ? *FText : empty;
}

TRVTag CopyTag(const TRVTag &Tag, bool TagsArePChars) {
  (void)TagsArePChars;
  return Tag; // a copy never shares the text
}

} // namespace kc
