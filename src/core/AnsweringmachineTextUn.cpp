#include "core/AnsweringmachineTextUn.h"

#include <algorithm>
#include <climits>

#include "platform/ProgramKey.h"

namespace kc {

namespace {

// The number after the mark, or LLONG_MAX when none can be read: such
// sections come after the numbered ones, in store order.
long long sectionNumber(const std::string &Name) {
  const std::size_t at = Name.find(kAMSectionMark);
  if (at == std::string::npos) return LLONG_MAX;
  std::size_t i = at + kAMSectionMark.size();
  if (i >= Name.size()) return LLONG_MAX;
  long long n = 0;
  for (; i < Name.size(); ++i) {
    const char c = Name[i];
    if (c < '0' || c > '9') return LLONG_MAX;
    n = n * 10 + (c - '0');
    if (n > INT_MAX) return LLONG_MAX;
  }
  return n;
}

std::vector<std::string> amSections(const RegistryIni &Ini) {
  std::vector<std::string> names;
  for (std::string &s : Ini.sections())
    if (s.find(kAMSectionMark) != std::string::npos) names.push_back(std::move(s));
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string &a, const std::string &b) { return sectionNumber(a) < sectionNumber(b); });
  return names;
}

} // namespace

void WriteAMText(std::string_view Key, int N, std::string_view Caption, std::string_view Text) {
  RegistryIni ini(Key);
  const std::string section = std::string(kAMSectionMark) + std::to_string(N);
  ini.writeString(section, "Caption", Caption);
  ini.writeString(section, "Text", Text);
}

void ReadAMText(std::string_view Key, std::string &Caption, std::string &Text, std::string_view Section) {
  Caption.clear();
  Text.clear();
  RegistryIni ini(Key);
  Caption = ini.readString(Section, "Caption");
  Text = ini.readString(Section, "Text");
}

std::string ReadAMCaption(std::string_view Key, std::string_view Section) {
  RegistryIni ini(Key);
  if (!ini.sectionExists(Section)) return {};
  return ini.readString(Section, "Caption");
}

int ListAMSections(std::string_view Key, std::vector<std::string> &List) {
  RegistryIni ini(Key);
  const std::vector<std::string> names = amSections(ini);
  List.insert(List.end(), names.begin(), names.end());
  return static_cast<int>(names.size());
}

int LoadAllAMTexts(std::string_view Key, std::vector<std::string> &Captions, std::vector<std::string> &Sections) {
  RegistryIni ini(Key);
  const std::vector<std::string> names = amSections(ini);
  for (const std::string &s : names) {
    Captions.push_back(ini.readString(s, "Caption"));
    Sections.push_back(s);
  }
  return static_cast<int>(names.size());
}

void EraseAllAMTexts(std::string_view Key) {
  RegistryIni ini(Key);
  for (const std::string &s : amSections(ini)) ini.eraseSection(s);
}

std::string AMSectionName(int N) { return std::string(kAMSectionMark) + std::to_string(N); }

int AMSectionNumber(std::string_view Section) {
  if (Section.substr(0, kAMSectionMark.size()) != kAMSectionMark) return 0;
  const long long n = sectionNumber(std::string(Section));
  return n > 0 && n <= INT_MAX ? static_cast<int>(n) : 0;
}

void SaveAMVariants(std::string_view Key, const std::vector<TAMVariant> &Variants) {
  RegistryIni ini(Key);
  for (const std::string &s : amSections(ini)) ini.eraseSection(s);
  std::vector<int> written;
  for (const TAMVariant &v : Variants) {
    if (v.Number <= 0 || std::find(written.begin(), written.end(), v.Number) != written.end()) continue;
    written.push_back(v.Number);
    const std::string section = AMSectionName(v.Number);
    ini.writeString(section, "Caption", v.Caption);
    ini.writeString(section, "Text", v.Text);
  }
}

} // namespace kc
