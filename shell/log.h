// The run log of an unattended installation: plain text, one line per event, each line written
// to the file the moment it is logged so that a run that dies leaves its log up to that point.
#pragma once

// Creates or truncates the log. An empty path names <temporary directory>\<string 1>.LOG.
// False when the file cannot be made; every later LogLine is then a no-op, and the installation
// goes on without a log. With append, an existing log is continued instead (a removal handed
// over to a temporary copy of the program goes on with the first process's log).
bool OpenLog(const char* path, bool append = false);
// Formats one line (printf-style) and writes it with CR LF. Line breaks inside the text become
// " | " so a multi-line message stays one line; an overlong line is cut and ends in "...".
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
void CloseLog();
bool LogOpen();
