#include <QTest>
class Placeholder : public QObject { Q_OBJECT };
QTEST_MAIN(Placeholder)
#include "tst_training.moc"
