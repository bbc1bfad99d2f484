#include "app/InfoOptions.h"
#include "app/PedestalApp.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    if (AnswerInfoOption(argc, argv))
        return 0;
    QApplication application(argc, argv);
    theApp.InitInstance();
    return 0;
}
