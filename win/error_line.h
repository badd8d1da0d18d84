#pragma once
// What a command says when it fails: a line on the standard error when that
// is redirected, else on the console of the command prompt that started
// Kivora (a program without a console of its own has none). Code page 932.
#include <string_view>

// Writes the text as it stands and a line end after it.
void WriteErrorLine(std::string_view text);
