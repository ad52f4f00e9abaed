// Test classes register themselves here; the shared main runs all of them or the one
// named on the command line.
#pragma once

#include <QObject>
#include <functional>
#include <utility>
#include <vector>

using TestFactory = std::function<QObject *()>;
std::vector<std::pair<const char *, TestFactory>> &testRegistry();

struct TestRegistration {
    TestRegistration(const char *name, TestFactory factory)
    {
        testRegistry().emplace_back(name, std::move(factory));
    }
};
#define REGISTER_TEST(Class)                                                                       \
    static TestRegistration registration_##Class(#Class, [] { return new Class; });
