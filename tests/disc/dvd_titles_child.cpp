// A stand-in for a player that lists a DVD's titles on a thread of its own, as the window
// does (dvd_titles_child ENGINE DISC): says so and runs until it is killed, or quits as the
// player does when its standard input closes.
#include "disc/DvdTitleReader.h"

#include <QCoreApplication>

#include <cstdio>
#include <thread>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc != 3)
        return 2;
    const QString engine = QString::fromLocal8Bit(argv[1]);
    const QString disc = QString::fromLocal8Bit(argv[2]);
    std::thread([engine, disc] { ReadDvdTitles(engine, disc, 600000); }).detach();
    std::thread([] {
        char byte;
        while (::read(STDIN_FILENO, &byte, 1) > 0) {
        }
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }).detach();
    std::printf("listing\n");
    std::fflush(stdout);
    return application.exec();
}
