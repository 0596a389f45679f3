#pragma once

#include <gtest/gtest.h>

#include <QObject>

namespace quillet::test {

// A widget (or model) of a view, found the way the view names it (QObject::objectName) among
// the children of `root`; a test failure, and null, when there is none.
template <typename T>
T* named(const QObject& root, const char* name) {
    T* found = root.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        ADD_FAILURE() << "no " << T::staticMetaObject.className() << " called " << name << " in "
                      << root.metaObject()->className();
    return found;
}

}  // namespace quillet::test
