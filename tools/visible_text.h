// SPDX-License-Identifier: MIT
// What the tool shows of text it does not control (file names, arguments) in
// its human-readable output: a name holding control bytes could otherwise move
// the cursor, recolour or clear the terminal, or forge a line of its own.
#pragma once

#include <string>
#include <string_view>

// The text with each control byte (0x00-0x1F) and DEL (0x7F) written as an
// escape: \t, \n and \r for tab, line feed and carriage return, \xHH (two
// lower-case hex digits) for the rest, such as \x1b for ESC. Every other
// byte stays as it is: printable ASCII, backslashes included (a Windows
// path keeps its look), and UTF-8.
std::string VisibleText(std::string_view text);

// Writes one line on standard error: "bmpresize: ", the message as
// VisibleText shows it, a line feed. Every message of the tool goes out
// through here; it allocates nothing, so it serves an exception's too.
void Say(std::string_view message) noexcept;
