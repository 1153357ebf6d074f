// The operators of dollar-bracket expressions that work on their argument
// list alone. Each takes the arguments already split and evaluated.
#pragma once

#include <string>
#include <vector>

#include "diagnostics.h"
#include "expression_messages.h"

using ArgumentList = std::vector<std::string>;

// "&": the arguments joined with nothing between them.
std::string join_arguments(const ArgumentList& arguments);
// "+", "-", "*", "^": folded from the left; arguments without a number count as 0.
std::string fold_arithmetic(char operation, const ArgumentList& arguments);
// "/": like the others, but traces each divisor and the result to `trace`
// and gives "0.0" for a zero dividend or divisor.
std::string divide(const ArgumentList& arguments, Diagnostics& trace);
// "==", ">=", "<=", ">", "<": the number of the first later argument that the
// first one stands in the relation to, or "0".
std::string compare(const std::string& relation, const ArgumentList& arguments);
// "??": the argument chosen by the first one's value.
std::string select_argument(const ArgumentList& arguments);
// "@:": one character or a piece of the first argument.
std::string text_piece(const ArgumentList& arguments);
// "@" once the variable is known: its elements chosen by arguments 2 and 3.
std::string element_range(const std::vector<std::string>& elements, const ArgumentList& arguments);
