// What a Windows program under Wine needs to reach the Linux side of the rig.
#pragma once

#include <string>

// The value of an environment variable, or empty when it is unset.
std::string EnvironmentText(const char* name);

// Wine maps the Linux root to drive Z:.
std::string WindowsPath(const std::string& linuxPath);

// The first kilobyte of a small file, without its trailing line ends; false when it cannot be
// read (yet).
bool ReadSmallFile(const std::string& windowsPath, std::string* text);

// Starts a Linux program, its standard streams on NUL. Under Wine its process can be neither
// waited for nor asked for its exit code, so the caller learns of its end some other way.
// Arguments reach the program as they are written: Linux paths, not Z: ones.
bool StartLinuxProgram(std::string commandLine, std::string* error);
