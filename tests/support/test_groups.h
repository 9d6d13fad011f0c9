#pragma once
// Runs Qt Test groups in one program; a group's class name as the first argument
// runs that group alone, so CTest can list each group as a test of its own.
#include <QObject>
#include <QStringList>
#include <QTest>
#include <initializer_list>

namespace salvex::test {

inline int run_test_groups(int argc, char** argv, std::initializer_list<QObject*> groups) {
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    int failed = 0;
    for (QObject* group : groups)
        if (only.isEmpty() || only == QLatin1String(group->metaObject()->className()))
            failed += QTest::qExec(group, QStringList{QString::fromLocal8Bit(argv[0])});
    return failed == 0 ? 0 : 1;
}

}  // namespace salvex::test
