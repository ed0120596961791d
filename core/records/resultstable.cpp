#include "core/records/resultstable.h"

#include "core/base/bidi.h"
#include "core/records/filestore.h"

#include <QAtomicInt>
#include <QDir>

#include <limits>
#include <utility>

namespace {

int clampToInt(qlonglong value)
{
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(value);
}

int toInteger(const QVariant &value)
{
    if (value.isNull())
        return 0;
    bool ok = false;
    const qlonglong n = value.toLongLong(&ok);
    return ok ? clampToInt(n) : 0;
}

const char *const PostWhat = "تعذر حفظ سجل الطفل في";

} // namespace

ResultsTable::ResultsTable(QObject *parent) : QObject(parent)
{
    static QAtomicInt serial;
    m_connection = QStringLiteral("results-table-%1").arg(serial.fetchAndAddRelaxed(1));
}

ResultsTable::~ResultsTable()
{
    // Views may already be half destroyed with their owner: tell nobody.
    blockSignals(true);
    close();
}

QString ResultsTable::emptyDatasetText()
{
    return QStringLiteral("Table1: Cannot perform this operation on an empty dataset");
}

// The table could not be opened at start-up; the teacher was told why then.
QString ResultsTable::closedText()
{
    return QStringLiteral("Table1: جدول الأطفال غير مفتوح، فلا يمكن تنفيذ هذه العملية");
}

QString ResultsTable::cutName(const QString &name)
{
    int units = 0;
    for (int chars = 0; chars < NameLength && units < name.size(); ++chars) {
        const bool pair = name.at(units).isHighSurrogate() && units + 1 < name.size()
                          && name.at(units + 1).isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return name.left(units);
}

// The failure of an operation on the store, naming the store.
Result ResultsTable::failed(const QString &what, const QString &detail) const
{
    const QString place = m_store ? m_store->place() : Bidi::path(QDir::toNativeSeparators(m_path));
    return Result::failure(QStringLiteral("%1 «%2»: %3").arg(what, place, detail));
}

Result ResultsTable::open(const QString &filePath)
{
    if (isOpen() && filePath == m_path)
        return Result::success();
    close();
    auto store = std::make_unique<FileStore>(m_connection);
    const Result opened = store->open(filePath);
    if (!opened) {
        m_path = filePath;
        return failed(QStringLiteral("تعذر فتح جدول الأطفال"), opened.text);
    }
    m_store = std::move(store);
    m_path = filePath;
    return afterOpen();
}

Result ResultsTable::openStore(std::unique_ptr<ResultsStore> store)
{
    close();
    m_store = std::move(store);
    connect(m_store.get(), &ResultsStore::rowsChanged, this, &ResultsTable::followChanges);
    return afterOpen();
}

Result ResultsTable::afterOpen()
{
    const Result counted = m_store->count(&m_count);
    if (!counted) {
        // Named while the store is still there to be named.
        const Result text = failed(QStringLiteral("تعذر فتح جدول الأطفال"), counted.text);
        const QString path = m_path;
        close();
        m_path = path;
        return text;
    }
    m_state = State::Browse;
    loadOne(ResultsStore::First, 0);
    emit reloaded();
    emit currentChanged();
    return Result::success();
}

void ResultsTable::close()
{
    const bool wasOpen = isOpen();
    m_store.reset();
    m_state = State::Inactive;
    m_count = 0;
    m_hasCurrent = false;
    m_wantedNo = 0;
    m_current = ChildRecord();
    m_savedHas = false;
    m_pendingEvents.clear();
    m_path.clear();
    if (wasOpen) {
        emit reloaded();
        emit currentChanged();
    }
}

Result ResultsTable::readConnection(QString *connection) const
{
    if (!isOpen())
        return Result::failure(closedText());
    return m_store->readConnection(connection);
}

void ResultsTable::setCurrent(const ChildRecord &record, bool has)
{
    m_current = has ? record : ChildRecord();
    m_hasCurrent = has;
}

// Positions the cursor; when nothing is found the cursor stays where it was.
bool ResultsTable::loadOne(ResultsStore::Seek which, int key)
{
    if (!m_store)
        return false;
    ChildRecord record;
    if (!m_store->seek(which, key, &record))
        return false;
    setCurrent(record, true);
    // Rows that another computer added reach the store before the notice
    // that updates the count: a row found means the table is not empty.
    if (m_count == 0) {
        // Unread, the count stays 0 and is read again with the next row found.
        static_cast<void>(m_store->count(&m_count));
    }
    return true;
}

Result ResultsTable::requirePending() const
{
    if (m_state == State::Insert || m_state == State::Edit)
        return Result::success();
    return Result::failure(isOpen() ? QStringLiteral("Table1: لا يوجد سجل قيد الإضافة أو التعديل")
                                    : closedText());
}

// Before the cursor moves, a pending change is posted; one that cannot be
// posted is dropped rather than carried to another record.
bool ResultsTable::settlePending()
{
    if (m_state != State::Insert && m_state != State::Edit)
        return isOpen();
    if (!post())
        cancel();
    return true;
}

Result ResultsTable::insert()
{
    if (!isOpen())
        return Result::failure(closedText());
    if (m_state == State::Insert || m_state == State::Edit) {
        const Result posted = post();
        if (!posted)
            return posted;
    }
    m_saved = m_current;
    m_savedHas = m_hasCurrent;
    m_current = ChildRecord();
    m_current.name = QVariant(QMetaType::fromType<QString>());
    m_current.ok = QVariant(QMetaType::fromType<int>());
    m_current.notOk = QVariant(QMetaType::fromType<int>());
    m_hasCurrent = false;
    m_state = State::Insert;
    emit currentChanged();
    return Result::success();
}

Result ResultsTable::edit()
{
    if (m_state == State::Insert || m_state == State::Edit)
        return Result::success();
    if (!isOpen())
        return Result::failure(closedText());
    if (!m_hasCurrent)
        return insert();
    m_saved = m_current;
    m_savedHas = true;
    m_state = State::Edit;
    return Result::success();
}

Result ResultsTable::setText(Field field, const QString &text)
{
    const Result pending = requirePending();
    if (!pending)
        return pending;
    switch (field) {
    case Field::No:
        return Result::failure(QStringLiteral("Table1: لا يمكن تغيير رقم الطفل No"));
    case Field::Name:
        m_current.name = cutName(text);
        m_current.nameCleaned = false;
        break;
    case Field::Ok:
    case Field::NotOk: {
        QVariant value(QMetaType::fromType<int>());
        if (!text.isEmpty()) {
            bool ok = false;
            const int n = text.trimmed().toInt(&ok);
            if (!ok)
                return Result::failure(QStringLiteral("Table1: «%1» ليس عدداً صحيحاً").arg(Bidi::word(text)));
            value = n;
        }
        (field == Field::Ok ? m_current.ok : m_current.notOk) = value;
        break;
    }
    }
    emit currentChanged();
    return Result::success();
}

Result ResultsTable::setInteger(Field field, int value)
{
    if (field == Field::Name)
        return setText(field, QString::number(value));
    const Result pending = requirePending();
    if (!pending)
        return pending;
    if (field == Field::No)
        return Result::failure(QStringLiteral("Table1: لا يمكن تغيير رقم الطفل No"));
    (field == Field::Ok ? m_current.ok : m_current.notOk) = value;
    emit currentChanged();
    return Result::success();
}

QVariant ResultsTable::value(Field field) const
{
    if (!hasCurrent())
        return QVariant();
    switch (field) {
    case Field::No:
        return m_state == State::Insert ? QVariant(QMetaType::fromType<int>()) : QVariant(m_current.no);
    case Field::Name:
        return m_current.name;
    case Field::Ok:
        return m_current.ok;
    case Field::NotOk:
        return m_current.notOk;
    }
    return QVariant();
}

int ResultsTable::integer(Field field) const
{
    return toInteger(value(field));
}

QString ResultsTable::text(Field field) const
{
    const QVariant v = value(field);
    return v.isNull() ? QString() : v.toString();
}

Result ResultsTable::post()
{
    if (m_state == State::Browse)
        return Result::success();
    const Result pending = requirePending();
    if (!pending)
        return pending;
    const bool inserting = m_state == State::Insert;
    const Result written = inserting ? m_store->insertRecord(&m_current, m_pendingEvents)
                                     : m_store->updateRecord(m_current, m_pendingEvents);
    if (!written)
        return failed(QString::fromUtf8(PostWhat), written.text);
    m_pendingEvents.clear();
    m_state = State::Browse;
    if (inserting) {
        m_hasCurrent = true;
        ++m_count;
        emit recordInserted(m_current.no);
    } else {
        emit recordUpdated(m_current.no);
    }
    emit currentChanged();
    return Result::success();
}

void ResultsTable::cancel()
{
    if (m_state != State::Insert && m_state != State::Edit)
        return;
    m_current = m_saved;
    m_hasCurrent = m_savedHas;
    m_pendingEvents.clear();
    m_state = State::Browse;
    emit currentChanged();
}

Result ResultsTable::deleteCurrent()
{
    if (!isOpen())
        return Result::failure(closedText());
    if (m_state == State::Insert) {
        cancel();
        return Result::success();
    }
    if (m_count == 0 || !m_hasCurrent)
        return Result::failure(emptyDatasetText());
    cancel();
    const int no = m_current.no;
    // The child and the child's history go together, or neither does.
    const Result removed = m_store->removeChild(no);
    if (!removed)
        return failed(QStringLiteral("تعذر حذف الطفل من"), removed.text);
    --m_count;
    // The following record becomes current, or the new last one.
    if (!loadOne(ResultsStore::Next, no) && !loadOne(ResultsStore::Last, 0))
        setCurrent(ChildRecord(), false);
    emit recordRemoved(no);
    emit currentChanged();
    return Result::success();
}

bool ResultsTable::findKey(const QString &keyText)
{
    bool ok = false;
    const int key = keyText.trimmed().toInt(&ok);
    if (!ok || !settlePending())
        return false;
    const int before = currentNo();
    if (!loadOne(ResultsStore::Key, key)) {
        if (!m_store->rowsKnown())
            m_wantedNo = key;
        return false;
    }
    m_wantedNo = 0;
    if (currentNo() != before)
        emit currentChanged();
    return true;
}

bool ResultsTable::first()
{
    if (!settlePending())
        return false;
    const int before = currentNo();
    const bool found = loadOne(ResultsStore::First, 0);
    if (currentNo() != before)
        emit currentChanged();
    return found;
}

bool ResultsTable::last()
{
    if (!settlePending())
        return false;
    const int before = currentNo();
    const bool found = loadOne(ResultsStore::Last, 0);
    if (currentNo() != before)
        emit currentChanged();
    return found;
}

bool ResultsTable::next()
{
    if (!settlePending() || !m_hasCurrent)
        return false;
    const bool found = loadOne(ResultsStore::Next, m_current.no);
    if (found)
        emit currentChanged();
    return found;
}

bool ResultsTable::prior()
{
    if (!settlePending() || !m_hasCurrent)
        return false;
    const bool found = loadOne(ResultsStore::Prior, m_current.no);
    if (found)
        emit currentChanged();
    return found;
}

Result ResultsTable::recordResult(Judgement judgement, const AnswerDetails &details)
{
    if (m_count == 0 && m_state != State::Insert) {
        // A table not read yet is not known to be empty: a child "-" made
        // now on the school's server would be one more child for everyone.
        if (!m_store || !m_store->rowsKnown()) {
            return isOpen() ? failed(QString::fromUtf8(PostWhat), QStringLiteral("لم يُقرأ جدول الأطفال بعد"))
                            : Result::failure(closedText());
        }
        Result made = insert();
        if (made)
            made = setText(Field::Name, QStringLiteral("-"));
        if (made)
            made = post();
        if (!made)
            return made;
    }
    const HistoryRow answer{m_clock().toMSecsSinceEpoch(), HistoryEvent::Answer, details,
                            judgement == Judgement::Right ? Judgement::Right : Judgement::Wrong};
    if (m_state == State::Browse && m_hasCurrent) {
        const int no = m_current.no;
        ChildRecord after;
        const Result counted = m_store->countAnswer(no, answer, &after);
        if (counted) {
            if (after.no == no)
                setCurrent(after, true);
            emit recordUpdated(no);
            emit currentChanged();
            return Result::success();
        }
        const Result notCounted = failed(QString::fromUtf8(PostWhat), counted.text);
        // On a server the answer is already waiting on this computer, or
        // lost with the disk; counting it again later from a value read now
        // could undo other computers' answers.
        if (!m_store->isShared())
            keepAnswerPending(answer);
        return notCounted;
    }
    // A change is pending (an answer the file could not take, or an
    // insertion): this answer joins it and is written with it.
    const Result editing = edit();
    if (!editing)
        return editing;
    keepAnswerPending(answer);
    return post();
}

// The answer stays on the current record as a pending edit: the next post
// writes it with its history row, so nothing is lost while the file is locked.
void ResultsTable::keepAnswerPending(const HistoryRow &answer)
{
    if (!edit())
        return;
    const Field field = answer.judgement == Judgement::Right ? Field::Ok : Field::NotOk;
    if (setInteger(field, AnswerCount::addOne(integer(field))))
        m_pendingEvents.append(answer);
}

Result ResultsTable::addChild(const QString &name)
{
    Result added = insert();
    if (added)
        added = setText(Field::Name, name);
    if (added)
        added = post();
    if (!added && m_state == State::Insert)
        cancel();
    return added;
}

Result ResultsTable::resetCounts()
{
    Result reset = edit();
    if (reset)
        reset = setInteger(Field::Ok, 0);
    if (reset)
        reset = setInteger(Field::NotOk, 0);
    if (reset) {
        // A record made by the reset itself had nothing to reset.
        if (m_state == State::Edit)
            m_pendingEvents.append(HistoryRow{m_clock().toMSecsSinceEpoch(), HistoryEvent::Reset, AnswerDetails(), Judgement::None});
        reset = post();
        if (reset)
            return reset;
    }
    cancel();
    return reset;
}

Result ResultsTable::deleteChild()
{
    cancel();
    return deleteCurrent();
}

Result ResultsTable::keys(QVector<int> *out) const
{
    out->clear();
    if (!isOpen())
        return Result::success();
    const Result read = m_store->keys(out);
    return read ? read : failed(QStringLiteral("تعذر قراءة"), read.text);
}

Result ResultsTable::records(int fromNo, int toNo, QVector<ChildRecord> *out) const
{
    out->clear();
    if (!isOpen())
        return Result::success();
    const Result read = m_store->records(fromNo, toNo, out);
    return read ? read : failed(QStringLiteral("تعذر قراءة"), read.text);
}

// Rows changed on another computer: the views hear of each, and the cursor
// stays on its child, with the child's new values unless a change of this
// computer is pending on it. A current child deleted elsewhere gives way to
// the following one, as after a deletion here.
void ResultsTable::followChanges(const QVector<int> &nos)
{
    if (!isOpen())
        return;
    // Unread, the count keeps its last value until the next notice reads it.
    static_cast<void>(m_store->count(&m_count));
    bool currentTouched = false;
    for (const int no : nos) {
        ChildRecord row;
        if (m_store->seek(ResultsStore::Key, no, &row)) {
            emit recordInserted(no);
            emit recordUpdated(no);
            if (m_hasCurrent && m_current.no == no && m_state == State::Browse) {
                setCurrent(row, true);
                currentTouched = true;
            }
        } else {
            emit recordRemoved(no);
            if (m_hasCurrent && m_current.no == no && m_state != State::Insert) {
                cancel();
                if (!loadOne(ResultsStore::Next, no) && !loadOne(ResultsStore::Last, 0))
                    setCurrent(ChildRecord(), false);
                currentTouched = true;
            }
        }
    }
    if (!m_hasCurrent && m_count > 0 && m_state == State::Browse) {
        // The child the window asked for before the rows arrived, if it is there.
        if (m_wantedNo == 0 || !loadOne(ResultsStore::Key, m_wantedNo))
            loadOne(ResultsStore::First, 0);
        currentTouched = true;
    }
    if (m_store->rowsKnown())
        m_wantedNo = 0;
    if (currentTouched)
        emit currentChanged();
}
