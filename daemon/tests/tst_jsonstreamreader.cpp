#include "jsonstreamreader.h"

#include <QJsonDocument>
#include <QtTest>

using Chunks = QList<QByteArray>;

namespace {

QJsonObject object(const QByteArray &json) { return QJsonDocument::fromJson(json).object(); }

// {"p":"xx..."} of exactly size bytes.
QByteArray objectOfSize(int size) { return "{\"p\":\"" + QByteArray(size - 8, 'x') + "\"}"; }

Chunks byteByByte(const QByteArray &bytes)
{
    Chunks chunks;
    for (char byte : bytes)
        chunks.append(QByteArray(1, byte));
    return chunks;
}

QList<QJsonObject> feedAll(JsonStreamReader &reader, const Chunks &chunks)
{
    QList<QJsonObject> messages;
    for (const QByteArray &chunk : chunks) {
        reader.feed(chunk);
        while (reader.hasMessage())
            messages.append(reader.takeMessage());
    }
    return messages;
}

} // namespace

class TestJsonStreamReader : public QObject
{
    Q_OBJECT
private slots:
    void testFraming_data();
    void testFraming();
    void testSizeLimit_data();
    void testSizeLimit();
    void testRepeatedKeys_data();
    void testRepeatedKeys();
    void testErrorIsFinal();
    void testMessageEnds_data();
    void testMessageEnds();
};

void TestJsonStreamReader::testFraming_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<Chunks>("expectedMessages");
    QTest::addColumn<bool>("expectError");

    const QByteArray hello = R"({"id":1,"method":"JSONRPC.Hello","params":{}})";
    const QByteArray things = R"({"id":2,"method":"Integrations.GetThings"})";

    QTest::newRow("one object in one read") << Chunks{hello} << Chunks{hello} << false;
    QTest::newRow("one object over three reads")
        << Chunks{hello.left(5), hello.mid(5, 20), hello.mid(25)} << Chunks{hello} << false;
    QTest::newRow("one object byte by byte") << byteByByte(hello) << Chunks{hello} << false;
    QTest::newRow("two objects in one read") << Chunks{hello + things} << Chunks{hello, things} << false;
    QTest::newRow("two objects split inside the second")
        << Chunks{hello + things.left(10), things.mid(10)} << Chunks{hello, things} << false;
    QTest::newRow("white space around and between")
        << Chunks{" \r\n\t" + hello + "\n\n  " + things + "\r\n"} << Chunks{hello, things} << false;
    QTest::newRow("white space only") << Chunks{" \n\t\r  "} << Chunks{} << false;
    QTest::newRow("braces and brackets inside a string")
        << Chunks{R"({"a":"}{ ][ }}"})"} << Chunks{R"({"a":"}{ ][ }}"})"} << false;
    QTest::newRow("escaped quotes inside a string")
        << Chunks{R"({"a":"say \"}\" now"})"} << Chunks{R"({"a":"say \"}\" now"})"} << false;
    QTest::newRow("escaped backslash before the closing quote")
        << Chunks{R"({"a":"c:\\"}{"b":"\\\"}"})"} << Chunks{R"({"a":"c:\\"})", R"({"b":"\\\"}"})"} << false;
    QTest::newRow("escape split across reads")
        << Chunks{R"({"a":"x\)", R"("}"})"} << Chunks{R"({"a":"x\"}"})"} << false;
    QTest::newRow("unicode escape of a brace") << Chunks{R"({"a":"\u007d"})"} << Chunks{R"({"a":"}"})"} << false;
    QTest::newRow("nested objects and arrays") << Chunks{R"({"a":{"b":[{"c":[]},{}]},"d":[[{}]]})"}
                                               << Chunks{R"({"a":{"b":[{"c":[]},{}]},"d":[[{}]]})"} << false;
    QTest::newRow("unfinished object waits") << Chunks{R"({"a":{"b":1})"} << Chunks{} << false;
    QTest::newRow("plain text") << Chunks{"hello"} << Chunks{} << true;
    QTest::newRow("top-level array") << Chunks{"[" + hello + "]"} << Chunks{} << true;
    QTest::newRow("top-level number") << Chunks{"42"} << Chunks{} << true;
    QTest::newRow("top-level string") << Chunks{R"("{}")"} << Chunks{} << true;
    QTest::newRow("top-level literal") << Chunks{"true"} << Chunks{} << true;
    QTest::newRow("object with a trailing comma") << Chunks{R"({"a":1,})"} << Chunks{} << true;
    QTest::newRow("object with a bare word") << Chunks{R"({"a":nope})"} << Chunks{} << true;
    QTest::newRow("mismatched brackets") << Chunks{R"({"a":[1}])"} << Chunks{} << true;
    QTest::newRow("NUL byte inside a key") << Chunks{hello + QByteArray("{\"a\0b\":1}", 10)} << Chunks{hello} << true;
    QTest::newRow("line feed inside a string") << Chunks{"{\"a\":\"two\nlines\"}"} << Chunks{} << true;
    QTest::newRow("control character after a backslash") << Chunks{"{\"a\":\"\\\x01\"}"} << Chunks{} << true;
    QTest::newRow("escaped control characters")
        << Chunks{R"({"a\u0000":"\u0001\n\t"})"} << Chunks{R"({"a\u0000":"\u0001\n\t"})"} << false;
    QTest::newRow("valid object, then garbage") << Chunks{hello + "xyz" + things} << Chunks{hello} << true;
    QTest::newRow("garbage after white space in a later read") << Chunks{hello + "\n", " ]"} << Chunks{hello} << true;
}

void TestJsonStreamReader::testFraming()
{
    QFETCH(Chunks, chunks);
    QFETCH(Chunks, expectedMessages);
    QFETCH(bool, expectError);

    JsonStreamReader reader;
    const QList<QJsonObject> messages = feedAll(reader, chunks);

    QList<QJsonObject> expected;
    for (const QByteArray &json : expectedMessages)
        expected.append(object(json));
    QCOMPARE(messages, expected);
    QCOMPARE(reader.hasError(), expectError);
    QCOMPARE(reader.errorString().isEmpty(), !expectError);
}

void TestJsonStreamReader::testSizeLimit_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<int>("expectedMessageCount");
    QTest::addColumn<bool>("expectError");

    const int mebibyte = JsonStreamReader::DefaultMaxMessageSize;
    QTest::newRow("1 MiB exactly") << mebibyte << Chunks{objectOfSize(mebibyte)} << 1 << false;
    QTest::newRow("1 MiB and one byte") << mebibyte << Chunks{objectOfSize(mebibyte + 1)} << 0 << true;
    QTest::newRow("at the limit") << 32 << Chunks{objectOfSize(32)} << 1 << false;
    QTest::newRow("one byte over") << 32 << Chunks{objectOfSize(33)} << 0 << true;
    QTest::newRow("over the limit before the end arrives") << 32 << Chunks{objectOfSize(40).left(33)} << 0 << true;
    QTest::newRow("several messages at the limit in one read")
        << 32 << Chunks{objectOfSize(32) + objectOfSize(32) + objectOfSize(32)} << 3 << false;
    QTest::newRow("white space between messages does not count")
        << 32 << Chunks{QByteArray(100, ' ') + objectOfSize(32) + QByteArray(100, '\n')} << 1 << false;
    QTest::newRow("message over the limit after one within it")
        << 32 << Chunks{objectOfSize(20), objectOfSize(33)} << 1 << true;
}

void TestJsonStreamReader::testSizeLimit()
{
    QFETCH(int, limit);
    QFETCH(Chunks, chunks);
    QFETCH(int, expectedMessageCount);
    QFETCH(bool, expectError);

    JsonStreamReader reader(limit);
    QCOMPARE(feedAll(reader, chunks).size(), expectedMessageCount);
    QCOMPARE(reader.hasError(), expectError);
}

void TestJsonStreamReader::testRepeatedKeys_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("expectedMessageCount");
    QTest::addColumn<bool>("expectRepeat");
    QTest::addColumn<QString>("repeatedKey");

    const QByteArray deepOpen = QByteArray(R"({"a":)").repeated(JsonStreamReader::MaxTrackedDepth - 1);
    const QByteArray deepClose = QByteArray("}").repeated(JsonStreamReader::MaxTrackedDepth - 1);

    QTest::newRow("at top level") << QByteArray(R"({"id":1,"id":2})") << 0 << true << "id";
    QTest::newRow("first value an array")
        << QByteArray(R"({"params":{"x":[1,2]},"params":{}})") << 0 << true << "params";
    QTest::newRow("in a nested object") << QByteArray(R"({"p":{"a":1,"b":{"c":[],"c":{}}}})") << 0 << true << "c";
    QTest::newRow("in an object inside an array") << QByteArray(R"({"a":[1,{"k":1,"k":2}]})") << 0 << true << "k";
    QTest::newRow("third of three keys") << QByteArray(R"({"a":1,"b":2,"a":3})") << 0 << true << "a";
    QTest::newRow("empty key") << QByteArray(R"({"":1,"":2})") << 0 << true << "";
    QTest::newRow("escaped letter") << QByteArray(R"({"a":1,"\u0061":2})") << 0 << true << "a";
    QTest::newRow("escaped quote") << QByteArray(R"({"say \"hi\"":1,"say \u0022hi\"":2})") << 0 << true << "say \"hi\"";
    QTest::newRow("escaped solidus") << QByteArray(R"({"a/b":1,"a\/b":2})") << 0 << true << "a/b";
    QTest::newRow("surrogate pair and UTF-8") << QByteArray("{\"\\ud83d\\ude00\":1,\"\xF0\x9F\x98\x80\":2}") << 0
                                              << true << QString::fromUtf8("\xF0\x9F\x98\x80");
    QTest::newRow("with an escaped NUL") << QByteArray(R"({"a\u0000b":1,"a\u0000b":2})") << 0 << true
                                         << QString::fromUtf8("a\0b", 3);
    QTest::newRow("at the deepest tracked level") << deepOpen + R"({"k":1,"k":2})" + deepClose << 0 << true << "k";
    QTest::newRow("after a good message") << QByteArray(R"({"id":1} {"id":2,"id":3})") << 1 << true << "id";
    QTest::newRow("same key in sibling objects")
        << QByteArray(R"({"a":{"k":1},"b":{"k":2}})") << 1 << false << QString();
    QTest::newRow("same key in an array of objects")
        << QByteArray(R"({"list":[{"k":1},{"k":2}]})") << 1 << false << QString();
    QTest::newRow("same key at each depth") << QByteArray(R"({"k":{"k":{"k":1}}})") << 1 << false << QString();
    QTest::newRow("same key in consecutive messages") << QByteArray(R"({"id":1}{"id":2})") << 2 << false << QString();
    QTest::newRow("key text repeated as values")
        << QByteArray(R"({"a":"a","b":["a","a"],"c":{"a":"a"}})") << 1 << false << QString();
    QTest::newRow("keys differing in case") << QByteArray(R"({"a":1,"A":2})") << 1 << false << QString();
    QTest::newRow("keys differing after an escaped NUL")
        << QByteArray(R"({"a\u0000b":1,"a\u0000c":2})") << 1 << false << QString();
    QTest::newRow("escape decoding to another key")
        << QByteArray(R"({"\u0061b":1,"a":2,"\\a":3})") << 1 << false << QString();
}

void TestJsonStreamReader::testRepeatedKeys()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, expectedMessageCount);
    QFETCH(bool, expectRepeat);
    QFETCH(QString, repeatedKey);

    for (const Chunks &chunks : {Chunks{stream}, byteByByte(stream)}) {
        JsonStreamReader reader;
        QCOMPARE(feedAll(reader, chunks).size(), expectedMessageCount);
        QCOMPARE(reader.hasError(), expectRepeat);
        if (expectRepeat)
            QVERIFY2(reader.errorString().contains(QLatin1Char('"') + repeatedKey + QLatin1Char('"')),
                     qPrintable(reader.errorString()));
    }
}

void TestJsonStreamReader::testErrorIsFinal()
{
    JsonStreamReader reader;
    reader.feed("nonsense");
    QVERIFY(reader.hasError());
    reader.feed(R"({"id":1})");
    QVERIFY(!reader.hasMessage());
    QVERIFY(reader.hasError());
}

void TestJsonStreamReader::testMessageEnds_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<QList<qint64>>("ends");

    const QByteArray stream = " \n{\"a\":1}\r\n{\"b\":[2]}\n";
    QTest::newRow("in one read") << Chunks{stream} << QList<qint64>{9, 20};
    // The buffer drops what it has read between reads; the ends count from the stream's start.
    QTest::newRow("byte by byte") << byteByByte(stream) << QList<qint64>{9, 20};
    QTest::newRow("white space only before the second")
        << Chunks{stream.left(11), stream.mid(11)} << QList<qint64>{9, 20};
}

void TestJsonStreamReader::testMessageEnds()
{
    QFETCH(Chunks, chunks);
    QFETCH(QList<qint64>, ends);

    JsonStreamReader reader;
    QCOMPARE(reader.takenMessageEnd(), qint64(0));
    QList<qint64> taken;
    for (const QByteArray &chunk : chunks) {
        reader.feed(chunk);
        while (reader.hasMessage()) {
            reader.takeMessage();
            taken.append(reader.takenMessageEnd());
        }
    }
    QCOMPARE(taken, ends);
}

QTEST_GUILESS_MAIN(TestJsonStreamReader)
#include "tst_jsonstreamreader.moc"
