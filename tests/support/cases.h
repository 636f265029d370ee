// Naming the cases of table-driven tests after their `name` field.
#ifndef AUTORUN_TESTS_CASES_H
#define AUTORUN_TESTS_CASES_H

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

struct CaseName {
    template <class T>
    std::string operator()(const ::testing::TestParamInfo<T>& info) const
    {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum((unsigned char)c))
                c = '_';
        return name;
    }
};

// Prints a case as its name in test output, instead of its bytes.
#define PRINT_CASE_AS_NAME(Type) \
    inline void PrintTo(const Type& c, std::ostream* os) { *os << c.name; }

#endif
