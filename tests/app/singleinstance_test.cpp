#include "dialogs.h"
#include "singleinstance.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QSignalSpy>
#include <QUuid>
#include <gtest/gtest.h>

namespace {
QString UniqueTitle() { return QStringLiteral("Zorvane test ") + QUuid::createUuid().toString(QUuid::WithoutBraces); }
} // namespace

TEST(SingleInstance, SecondStartEndsWhileTheFirstRuns)
{
    const QString title = UniqueTitle();
    auto first = std::make_unique<TSingleInstance>(title);
    ASSERT_TRUE(first->Acquire());
    QSignalSpy activated(first.get(), &TSingleInstance::Activated);

    TSingleInstance second(title);
    EXPECT_FALSE(second.Acquire());
    EXPECT_TRUE(activated.wait(2000)) << "the running instance is asked to come forward";

    first.reset(); // the first instance ends
    TSingleInstance third(title);
    EXPECT_TRUE(third.Acquire());
}

TEST(SingleInstance, LeftoverOfACrashedInstanceDoesNotBlock)
{
    const QString title = UniqueTitle();
    TSingleInstance probe(title);
    // A crashed instance leaves its socket file behind, with nobody
    // listening: make one by hand.
    QLocalServer server;
    ASSERT_TRUE(server.listen(probe.ServerName()));
    const QString socketPath = server.fullServerName();
    server.setSocketOptions(QLocalServer::NoOptions);
    server.close(); // removes the file: put a stale one back
    {
        QFile stale(socketPath);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    TSingleInstance next(title);
    EXPECT_TRUE(next.Acquire());
}

TEST(Dialogs, FilterInQtNotation)
{
    EXPECT_EQ(QtFileFilter(QStringLiteral("Universe files|*.xy")), QStringLiteral("Universe files (*.xy)"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("A|*.a;*.b|B|*.c")), QStringLiteral("A (*.a *.b);;B (*.c)"));
}
