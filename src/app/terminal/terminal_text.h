// Code-page-932 texts as terminal cells: conversion to wide characters and their widths.
#pragma once

#include <string>
#include <vector>

namespace refontis::app {

// The text's lines (split at LF, CR dropped) as wide strings.
std::vector<std::wstring> TerminalLines(const std::string& cp932Text);
// Lines wrapped at `width` columns (full-width characters take two).
std::vector<std::wstring> WrapLines(const std::vector<std::wstring>& lines, int width);
int DisplayWidth(const std::wstring& text);
// The longest prefix that fits in `width` columns.
std::wstring FitWidth(const std::wstring& text, int width);

}  // namespace refontis::app
