#include <QtTest>
#include "catalogues/catalogue.h"
class T : public QObject { Q_OBJECT private slots: void a(){ QCOMPARE(catalogues::music.size(), 22u); QVERIFY(catalogues::sprites::wataru[0].name.empty()); } };
QTEST_APPLESS_MAIN(T)
#include "test_catalogues.moc"
