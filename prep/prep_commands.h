// The vantrels-prep commands, each with its own options and help.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

int fPrepGenome(const std::vector<std::string>& args, FILE* out, FILE* err);
int fPrepReads(const std::vector<std::string>& args, FILE* out, FILE* err);
int fPrepDecode(const std::vector<std::string>& args, FILE* out, FILE* err);
