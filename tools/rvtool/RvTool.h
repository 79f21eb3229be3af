#pragma once
// rvtool: a command-line front end to the rich-text engine for checks and
// scripts. Each subcommand is one function; main() dispatches by name.
#include <string>

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
int hitTest(int argc, char **argv);

// Whole file as bytes; false, with a line on standard error, when it cannot
// be read.
bool readFile(const std::string &path, std::string &out);

} // namespace rvtool
