#pragma once
// rvtool: a command-line front end to the rich-text engine for checks and
// scripts. Each subcommand is one function; main() dispatches by name.
#include <memory>
#include <string>

class QGuiApplication;
namespace kc {
class TCustomRVData;
class TRVLayoutInfo;
} // namespace kc

namespace rvtool {

// Subcommands get the arguments after their name; they return the exit code.
using CommandFn = int (*)(int argc, char **argv);

struct Command {
  const char *name;
  const char *usage;
  CommandFn run;
};

int rtfEvents(int argc, char **argv);
int rtfText(int argc, char **argv);
int rtfImport(int argc, char **argv);
int formatText(int argc, char **argv);
int renderPng(int argc, char **argv);
int convert(int argc, char **argv);
int editDocument(int argc, char **argv);
int hitTest(int argc, char **argv);

// Whole file as bytes; false, with a line on standard error, when it cannot
// be read.
bool readFile(const std::string &path, std::string &out);
// Reads an RVF file into doc; says on standard error, as Program, why it
// cannot, or that it seems cut short. False when it cannot.
bool loadRvf(kc::TCustomRVData &doc, const std::string &bytes, const std::string &file, const char *program,
             kc::TRVLayoutInfo *layout = nullptr);

// UTF-8 text as a document: one paragraph a line (blank lines kept as empty
// paragraphs), every item in text style 0, which the caller makes Unicode,
// and paragraph style 0.
void loadPlainText(kc::TCustomRVData &doc, const std::string &bytes);

// Real fonts need a GUI application; fake metrics do not. Keep the result
// alive while the document is measured.
std::unique_ptr<QGuiApplication> guiApplicationUnless(bool fake);

} // namespace rvtool
