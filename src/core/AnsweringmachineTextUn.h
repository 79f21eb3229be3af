#pragma once
// Stored auto-reply texts: one section "AMText!_" + N per text, values
// "Caption" and "Text". N is the variant's number for good: the main window
// keeps the chosen variant by its section name, so a variant keeps its
// number through deletes of others, and a new one takes the next free. Every routine opens its own store; a missing text reads as empty,
// and only a fault (out of memory) raises.
#include <string>
#include <string_view>
#include <vector>

namespace kc {

inline constexpr std::string_view kAMSectionMark = "AMText!_";

// Writes Caption and Text under "AMText!_" + N.
void WriteAMText(std::string_view Key, int N, std::string_view Caption, std::string_view Text);
// Caption and Text of one section; empty when missing.
void ReadAMText(std::string_view Key, std::string &Caption, std::string &Text, std::string_view Section);
// Caption of an existing section, else empty.
std::string ReadAMCaption(std::string_view Key, std::string_view Section);
// Appends the names of the auto-reply sections to List in the order of their
// numbers ("AMText!_2" before "AMText!_10"); returns how many (-1 on failure).
int ListAMSections(std::string_view Key, std::vector<std::string> &List);
// Appends, per auto-reply section in the order of ListAMSections, its Caption
// to Captions and its name to Sections; returns the number.
int LoadAllAMTexts(std::string_view Key, std::vector<std::string> &Captions, std::vector<std::string> &Sections);
// Erases every auto-reply section.
void EraseAllAMTexts(std::string_view Key);

// "AMText!_" + N.
std::string AMSectionName(int N);
// The number of a section "AMText!_" + N (N > 0), else 0.
int AMSectionNumber(std::string_view Section);

// One variant as the auto-reply editor stores it.
struct TAMVariant {
  int Number = 0; // > 0
  std::string Caption;
  std::string Text;
};
// Replaces the stored variants with Variants, each under its own number;
// variants without a valid number, or repeating one, are left out.
void SaveAMVariants(std::string_view Key, const std::vector<TAMVariant> &Variants);

} // namespace kc
