// Host functions whose bodies differ by platform. This console program
// follows the macOS program; the Linux host layer supplies what the macOS
// system calls did.
#pragma once

#include <string>
#include <vector>

int MessageBox1(const char* text, const char* caption);
int MessageBox2(const char* text, const char* caption);
void OpenChrome(const char* page);
std::string checkToString(const char* text);
bool ReadFbSetup(int version, std::vector<std::string>& workspaces);
void RegRuvoJS();
