// The contract's cases as GoogleTest cases of one subject: TOLVANE_CONTRACT_TESTS(FakeContract, FakeSubject)
// gives FakeContract/Holds/ANewWindowReadsAsPlaced and so on.
#pragma once

#include "tests/contract/toolkit_contract.h"

#include <cctype>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane::contract {

inline std::string testName(const ::testing::TestParamInfo<std::size_t>& info) {
    std::string name;
    bool upper = true;
    const std::vector<std::string_view> names = caseNames();
    for (const char c : names.at(info.param)) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
            name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
            upper = false;
        } else {
            upper = true;
        }
    }
    return name;
}

} // namespace tolvane::contract

#define TOLVANE_CONTRACT_TESTS(Suite, SubjectType)                                                           \
    class Suite : public ::testing::TestWithParam<std::size_t> {};                                           \
    TEST_P(Suite, Holds) {                                                                                   \
        SubjectType subject;                                                                                 \
        for (const std::string& failure : ::tolvane::contract::runCase(subject, GetParam())) {               \
            ADD_FAILURE() << failure;                                                                        \
        }                                                                                                    \
    }                                                                                                        \
    INSTANTIATE_TEST_SUITE_P(Contract, Suite,                                                                \
                             ::testing::Range<std::size_t>(0, ::tolvane::contract::caseNames().size()),      \
                             ::tolvane::contract::testName)
