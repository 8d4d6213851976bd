// main() of the logic tests that paint (report pages, PDF files): fonts need a
// QGuiApplication, but no window and no widget is made.
#include <QGuiApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
