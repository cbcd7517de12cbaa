#include "jsonrpcfuzzharness.h"

#include "fuzzcheck.h"
#include "fuzzinput.h"
#include "jsonstreamreader.h"
#include "referenceframer.h"
#include "repeatedkeyfinder.h"
#include "replychecker.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>

namespace {

// Every thing added or removed is a committed, synced transaction: keep them
// off the disk.
QString dataDirTemplate()
{
    const QFileInfo sharedMemory(QStringLiteral("/dev/shm"));
    const QString base = sharedMemory.isDir() && sharedMemory.isWritable() ? sharedMemory.filePath() : QDir::tempPath();
    return base + QStringLiteral("/korvu-fuzz-XXXXXX");
}

QByteArray describe(const QList<QJsonObject> &messages)
{
    QByteArray text;
    for (const QJsonObject &message : messages)
        text += QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n';
    return text;
}

} // namespace

JsonRpcFuzzHarness::JsonRpcFuzzHarness()
    : m_dataDir(dataDirTemplate())
{
    QString errorMessage;
    fuzzCheck(m_dataDir.isValid(), "a temporary data folder can be made");
    fuzzCheck(m_requestPath.open(m_dataDir.path(), &errorMessage), "the thing store opens", errorMessage.toUtf8());
}

void JsonRpcFuzzHarness::run(const FuzzInput &input)
{
    JsonStreamReader reader(input.maxMessageSize);
    const QList<QJsonObject> messages = serve(input, &reader);
    if (reader.hasError())
        ReplyChecker::checkFramingErrorReply(JsonRpcRouter::errorReply(QJsonValue::Null, reader.errorString()));
    checkFraming(input, messages, reader.hasError());
    checkStoreMatchesRegistry();
    removeAllThings();
}

QList<QJsonObject> JsonRpcFuzzHarness::serve(const FuzzInput &input, JsonStreamReader *reader)
{
    QList<QJsonObject> messages;
    int offset = 0;
    for (int pieceSize : input.pieceSizes) {
        reader->feed(input.stream.mid(offset, pieceSize));
        offset += pieceSize;
        answer(reader, &messages);
    }
    reader->feed(input.stream.mid(offset));
    answer(reader, &messages);
    return messages;
}

void JsonRpcFuzzHarness::answer(JsonStreamReader *reader, QList<QJsonObject> *messages)
{
    while (reader->hasMessage()) {
        const QJsonObject request = reader->takeMessage();
        ReplyChecker::checkReply(request, m_requestPath.router().processRequest(request));
        messages->append(request);
    }
}

// How the stream is cut must not matter: the pieces give exactly the objects
// that a one-pass reading of the whole stream finds, and fail exactly when it
// does, or when an object repeats a key.
void JsonRpcFuzzHarness::checkFraming(const FuzzInput &input, const QList<QJsonObject> &messages, bool failed)
{
    const ReferenceFramer reference(input.stream, input.maxMessageSize);
    QList<QJsonObject> expected;
    bool expectFailure = reference.ending() == ReferenceFramer::Ending::Broken;
    for (const QByteArray &text : reference.objectTexts()) {
        // Checked first: Qt's parser leaks on a repeated key.
        if (RepeatedKeyFinder::hasRepeatedKey(text)) {
            expectFailure = true;
            break;
        }
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
        if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
            expectFailure = true;
            break;
        }
        expected.append(document.object());
    }
    fuzzCheck(messages == expected, "one message per complete object, whatever the cuts",
              "got:\n" + describe(messages) + "expected:\n" + describe(expected));
    fuzzCheck(failed == expectFailure, "the reader fails exactly on bad bytes, an oversized object or a repeated key",
              QByteArray(failed ? "failed" : "did not fail") + " with limit "
                  + QByteArray::number(input.maxMessageSize));
}

void JsonRpcFuzzHarness::checkStoreMatchesRegistry()
{
    QString errorMessage;
    QList<QUuid> storedIds;
    for (const ThingStore::StoredThing &stored : m_requestPath.store().loadThings(&errorMessage))
        storedIds.append(stored.id);
    QList<QUuid> runningIds;
    for (const Thing *thing : m_requestPath.registry().things())
        runningIds.append(thing->id());
    fuzzCheck(errorMessage.isEmpty() && storedIds == runningIds, "every running thing is stored, and only those",
              errorMessage.toUtf8());
}

void JsonRpcFuzzHarness::removeAllThings()
{
    const QList<Thing *> things = m_requestPath.registry().things();
    for (const Thing *thing : things) {
        QString errorMessage;
        fuzzCheck(m_requestPath.registry().removeThing(thing->id(), &errorMessage) == Korvu::ThingErrorNoError,
                  "a thing can be removed", errorMessage.toUtf8());
    }
}
