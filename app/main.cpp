#include "app/InfoOptions.h"
#include "app/PedestalApp.h"

#include <QApplication>
#include <QStringList>

#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    if (AnswerInfoOption(argc, argv))
        return 0;
    QApplication application(argc, argv);
    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments().mid(1))
        arguments.push_back(argument.toStdString());
    if (!theApp.ParseCommandLine("Pedestal", static_cast<int>(arguments.size()), arguments.data()))
        return 2;
    theApp.InitInstance();
    return theApp.m_ExitCode;
}
