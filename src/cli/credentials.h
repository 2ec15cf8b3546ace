// The account and password of a settings request. The password never comes from the
// command line: from --password-stdin, from ZARVON_PASSWORD, or from a prompt without
// echo on a terminal.
#pragma once
#include <string>

// 1 with the password in strPwd; 0 when none could be had (strError says why).
int ReadPassword(bool bFromStdin, std::string& strPwd, std::string& strError);
// One line of standard input without its line end; false at end of input.
bool ReadStdinLine(std::string& strLine);
