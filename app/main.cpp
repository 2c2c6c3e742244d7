#include <QApplication>

#include "app/CTolvikApp.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    CTolvikApp theApp;
    theApp.InitInstance();
    return 0;
}
