#pragma once
// The characters of an input box that a message cannot carry. The input
// box holds any character the user types; the body that is sent is 8-bit
// text of the ANSI code page (peers read it so), where a character the code
// page lacks goes out as "?" (a mark it lacks goes out not at all). The
// window tells the user which characters those were, once per send.
#include <string>
#include <string_view>

#include <QString>

namespace kc {

class TCustomRichVista;

struct TUnsendableText {
  // User-perceived characters (a letter with its marks, an emoji sequence)
  // that do not go out as typed, counting repeats.
  int Count = 0;
  // The distinct ones, in the order typed, at most kShown of them.
  std::u16string Characters;
  int Shown = 0; // how many Characters holds
  static constexpr int kShown = 8;
};

// The characters of Text that the code page cannot carry.
TUnsendableText FindUnsendableText(std::u16string_view Text, int CodePage);
// The same over the text items of an input box, each in its style's code
// page; other items say nothing here.
TUnsendableText FindUnsendableText(const TCustomRichVista &InputBox);
// The status bar's notice for a send that lost them; empty when none was
// lost.
QString UnsendableNotice(const TUnsendableText &Lost);

} // namespace kc
