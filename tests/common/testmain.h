#pragma once

#include <QObject>
#include <functional>

// Test classes register themselves here; the shared main() runs them all in one application.
namespace TestRegistry {
int add(const char *name, std::function<QObject *()> make);
}

#define PICTARN_TEST(Class) \
    static const int registered_##Class = TestRegistry::add(#Class, [] { return new Class; });
