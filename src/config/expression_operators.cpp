#include "expression_operators.h"

#include <cmath>
#include <sstream>

#include "number_format.h"

namespace {

// Stands for the value of an argument that holds no number. An argument that
// reads as exactly this value counts as holding none.
constexpr double noValue = 1e37;

double value_or(const std::string& argument, double fallback) {
    double value = 0.0;
    return read_number(argument, value) ? value : fallback;
}

double value_or_no_value(const std::string& argument) {
    return value_or(argument, noValue);
}

// Index values become positions by rounding half up; a range's end is exclusive.
std::size_t position_of(double index) { return static_cast<std::size_t>(index + 0.5); }
std::size_t range_end_of(double index) { return static_cast<std::size_t>(index + 1.5); }

// The "not below" forms also reject a NaN index.
bool first_index_valid(double index, double bound) {
    return index != noValue && index >= 0 && index < bound;
}

bool second_index_valid(double first, double second, double last) {
    return second != noValue && second > 0 && second <= last && second > first;
}

bool holds(const std::string& relation, int order) {
    if (relation == "==") return order == 0;
    if (relation == ">=") return order >= 0;
    if (relation == "<=") return order <= 0;
    if (relation == ">") return order > 0;
    return order < 0;
}

// Numbers when both sides hold one, otherwise the texts byte by byte.
int order_of(const std::string& left, const std::string& right) {
    const double x = value_or_no_value(left);
    const double y = value_or_no_value(right);
    if (x == noValue || y == noValue) {
        const int order = left.compare(right);
        return (order > 0) - (order < 0);
    }
    if (x < y) return -1;
    if (x > y) return 1;
    return x == y ? 0 : 2;  // NaN: no relation holds but "not equal"
}

std::string join_elements(const std::vector<std::string>& elements, std::size_t begin,
                          std::size_t end) {
    std::string joined;
    for (std::size_t i = begin; i < end; ++i) {
        if (i > begin) joined += ' ';
        joined += elements[i];
    }
    return joined;
}

}  // namespace

std::string join_arguments(const ArgumentList& arguments) {
    std::string joined;
    for (const std::string& argument : arguments) joined += argument;
    return joined;
}

std::string fold_arithmetic(char operation, const ArgumentList& arguments) {
    double accumulator = value_or(arguments[0], 0.0);
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const double value = value_or(arguments[i], 0.0);
        switch (operation) {
            case '+': accumulator += value; break;
            case '-': accumulator -= value; break;
            case '*': accumulator *= value; break;
            default: accumulator = std::pow(accumulator, value); break;
        }
    }
    return format_number(accumulator);
}

std::string divide(const ArgumentList& arguments, Diagnostics& trace) {
    double accumulator = value_or(arguments[0], 0.0);
    if (accumulator == 0) return "0.0";
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const double divisor = value_or(arguments[i], 0.0);
        std::ostringstream line;  // numbers as a stream writes them by default: 0.333333
        line << "## expr = <" << arguments[i] << "><" << divisor << ">";
        trace.Note(line.str());
        if (divisor == 0) return "0.0";
        accumulator /= divisor;
    }
    std::ostringstream line;
    line << "## result = " << accumulator;
    trace.Note(line.str());
    return format_number(accumulator);
}

std::string compare(const std::string& relation, const ArgumentList& arguments) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const int order = order_of(arguments[0], arguments[i]);
        if (order != 2 && holds(relation, order)) return format_position(static_cast<int>(i));
    }
    return "0";
}

std::string select_argument(const ArgumentList& arguments) {
    const double index = value_or_no_value(arguments[0]);
    const double choices = static_cast<double>(arguments.size() - 1);
    if (!first_index_valid(index, choices)) return arguments.back();
    return arguments[position_of(index)];
}

std::string text_piece(const ArgumentList& arguments) {
    const std::string& text = arguments[0];
    const double last = static_cast<double>(text.size()) - 1;
    const double first = value_or_no_value(arguments[1]);
    // The bound is the last position, so the last character is never a start.
    if (!first_index_valid(first, last)) return expression_text::firstIndexOutOfRange;
    const std::size_t start = position_of(first);
    if (arguments.size() < 3) return text.substr(start, 1);
    const double second = value_or_no_value(arguments[2]);
    if (second_index_valid(first, second, last)) {
        return text.substr(start, range_end_of(second) - start);
    }
    if (second == -1) return text.substr(start);
    return expression_text::secondIndexOutOfRange;
}

std::string element_range(const std::vector<std::string>& elements, const ArgumentList& arguments) {
    const double count = static_cast<double>(elements.size());
    const double first = value_or_no_value(arguments[1]);
    // An index just below the count passes the test but rounds to one past the last element.
    if (!first_index_valid(first, count) || position_of(first) >= elements.size()) {
        return expression_text::firstIndexOutOfRange;
    }
    const std::size_t start = position_of(first);
    if (arguments.size() < 3) return elements[start];
    const double second = value_or_no_value(arguments[2]);
    if (second_index_valid(first, second, count - 1)) {
        return join_elements(elements, start, range_end_of(second));
    }
    if (second == -1) return join_elements(elements, start, elements.size());
    return expression_text::secondIndexOutOfRange;
}
