#pragma once

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QTest>

#include <functional>

// Long random runs of edits on a model, one fresh model a seed. `start` prepares the
// model and gives back one step, which edits it at random and checks it against what
// it should be; the model tester fails on any change a view would be told about
// wrongly. A failure names the seed and the step.
template <typename Model, typename Start>
void runRandomEdits(std::initializer_list<quint32> seeds, int steps, Start start)
{
    for (const quint32 seed : seeds) {
        QRandomGenerator random(seed);
        Model model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const std::function<void()> step = start(model, random);
        for (int i = 0; i < steps; ++i) {
            step();
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("seed %1, step %2").arg(seed).arg(i)));
        }
    }
}
