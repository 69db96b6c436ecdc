// Numbers in text, read one way wherever the project reads them: whole
// numbers in the form each reader asks for, plain decimals, and the run of
// digits at the start of a text. Platform-neutral: the program, every card
// substitute and azimora-dvb link it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// What a whole number may look like: digits, after a minus only where
// `least` is negative (never after a plus), at most `mostDigits` of them,
// from `least` to `most`. Without leadingZeros, "0" is the only number to
// begin with 0: no "007", no "-0".
struct WholeForm {
    int64_t least;
    int64_t most;
    size_t mostDigits;
    bool leadingZeros;
};

// A TCP port as people write it: 1 to 65535, leading zeros allowed.
constexpr WholeForm portForm{1, 65535, 5, true};

// False (and `value` untouched) when the whole text is not such a number.
bool readWholeNumber(const std::string& text, const WholeForm& form, int64_t* value);

// The same into a narrower type, which the form's bounds must fit.
template <typename Number>
bool readWholeNumber(const std::string& text, const WholeForm& form, Number* value)
{
    int64_t number = 0;
    if (!readWholeNumber(text, form, &number)) return false;
    *value = static_cast<Number>(number);
    return true;
}

// What a plain decimal may look like: digits with at most one point among,
// before or after them ("2", "2.5", ".5", "2."), after a plus or a minus
// where the form takes one, in at most `longest` characters and
// `mostDigits` digits (0: any number of them). Never an exponent, "nan",
// "inf" or hexadecimal.
struct DecimalForm {
    bool plus;
    bool minus;
    size_t longest;
    size_t mostDigits;
};

// False (and `value` untouched) when the whole text is not such a number
// or it is too large for a double.
bool readDecimalNumber(const std::string& text, const DecimalForm& form, double* value);

// The run of digits at the start of `text` (`length` characters, none
// looked at past them), at most `mostDigits` of them: its value, which
// stops growing at `cap`, and how many digits it has (0: none there).
size_t leadingDigits(const char* text, size_t length, size_t mostDigits, uint64_t cap, uint64_t* value);
