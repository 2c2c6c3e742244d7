// The peer for the start-up benchmark: a bare Qt dialog with one list, nothing else.
#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Bare dialog"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    list->addItem(QStringLiteral("one line"));
    layout->addWidget(list);
    dialog.resize(565, 492);
    dialog.show();
    return app.exec();
}
