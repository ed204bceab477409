#include "tests/app/ConnectionTests.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    int failed = RunConnectionControlTests(argc, argv);
    failed += RunNetworkManagerServiceTests(argc, argv);
    return failed;
}
