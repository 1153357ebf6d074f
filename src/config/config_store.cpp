// The store itself: variables, the two constructors, name search and the
// typed look-ups.
#include "config_store.h"

#include <climits>
#include <cmath>
#include <fstream>
#include <streambuf>

#include "number_format.h"
#include "standard_error.h"

namespace {

// Gives the bytes of another buffer with every carriage return that stands
// directly before a line feed removed, so that a file saved with CRLF line
// ends reads exactly like the same file with LF line ends. A lone carriage
// return stays an ordinary byte.
class LineEndTranslatingBuffer : public std::streambuf {
public:
    explicit LineEndTranslatingBuffer(std::streambuf& source) : source_(source) {}

protected:
    int_type underflow() override {
        int_type c = source_.sbumpc();
        if (traits_type::eq_int_type(c, traits_type::to_int_type('\r')) &&
            traits_type::eq_int_type(source_.sgetc(), traits_type::to_int_type('\n'))) {
            c = source_.sbumpc();
        }
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::eof();
        current_ = traits_type::to_char_type(c);
        setg(&current_, &current_, &current_ + 1);
        return c;
    }

private:
    std::streambuf& source_;
    char current_ = 0;
};

std::vector<std::string> read_file_tokens(const ConfigStore& store, const char* file_name) {
    std::ifstream file;
    if (file_name != nullptr) file.open(file_name, std::ios::in | std::ios::binary);
    if (!file.is_open()) return {};
    LineEndTranslatingBuffer translated(*file.rdbuf());
    std::istream text(&translated);
    return store.tokenize_stream(text);
}

}  // namespace

ConfigStore::variable::variable(std::string name, const std::string& value,
                                const std::string& separators)
    : name(std::move(name)) {
    set_value(value, separators);
}

void ConfigStore::variable::set_value(const std::string& value, const std::string& separators) {
    original = value;
    elements.clear();
    std::size_t start = value.find_first_not_of(separators);
    while (start != std::string::npos) {
        const std::size_t end = value.find_first_of(separators, start);
        elements.push_back(value.substr(start, end - start));
        start = value.find_first_not_of(separators, end);
    }
}

ConfigStore::ConfigStore(const char* file_name, const char* comment_open,
                         const char* comment_close, const char* element_separators) {
    if (comment_open != nullptr) this->comment_open = comment_open;
    if (comment_close != nullptr) this->comment_close = comment_close;
    if (element_separators != nullptr) this->element_separators = element_separators;
    std::vector<std::string> list{file_name != nullptr ? file_name : ""};
    const std::vector<std::string> tokens = read_file_tokens(*this, file_name);
    list.insert(list.end(), tokens.begin(), tokens.end());
    parse_arguments(list);
}

ConfigStore::ConfigStore(int argc, const char* const* argv, const char* element_separators) {
    if (element_separators != nullptr) this->element_separators = element_separators;
    std::vector<std::string> list;
    for (int i = 0; argv != nullptr && i < argc; ++i) {
        list.emplace_back(argv[i] != nullptr ? argv[i] : "");
    }
    parse_arguments(list);
}

ConfigStore::~ConfigStore() = default;

const ConfigStore::variable* ConfigStore::find_variable(const char* name) const {
    const std::string full_name = lookup_prefix + name;
    for (const variable& candidate : variable_list) {
        if (candidate.name == full_name) return &candidate;
    }
    return nullptr;
}

const char* ConfigStore::lookup(const char* name, const char* default_value) const {
    const variable* found = find_variable(name);
    return found != nullptr ? found->original.c_str() : default_value;
}

int ConfigStore::lookup(const char* name, int default_value) const {
    const variable* found = find_variable(name);
    if (found == nullptr) return default_value;
    standard_error() << "## original = " << found->original << "\n";
    double value = 0.0;
    if (!read_number(found->original, value) || std::isnan(value)) return default_value;
    // Out-of-range values saturate instead of overflowing the conversion.
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

double ConfigStore::lookup(const char* name, double default_value) const {
    const variable* found = find_variable(name);
    double value = 0.0;
    if (found == nullptr || !read_number(found->original, value)) return default_value;
    return value;
}
