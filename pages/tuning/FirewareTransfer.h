#pragma once
// Moves a file into the keyboard through the command protocol, one frame at a time, each sent
// when the keyboard has answered the one before (source 10, with the protocol's reply timer):
//
// - a keyboard firmware image: a 40-byte header (u32 words at 4 and 8, little-endian, go back to
//   the keyboard in the end command), then the payload, sent in chunks numbered from 1; then the
//   end command, which carries header bytes 4 to 11;
// - a firmware data file: a 40-byte header (u32 payload length at 16, u32 byte sum of the payload
//   at 24) sent first as frame 1 with the number of frames in its bytes 28 and 29, then the
//   payload in chunks (frames 2 on); there is no end command.
//
// The chunk is the payload of one frame of the open link, taken when the transfer starts. A file
// that cannot be sent as it is (see Refusal) is refused before anything goes out, and one whose
// size alone rules it out without being read through. Progress runs from 0 to 99 while frames
// remain and reaches 100 once, at the end. A transfer ends exactly once, with finished(true) or,
// when a request of it failed, finished(false); abandon() ends it silently. Replies that come
// when no transfer of their kind is waiting for them are ignored.

#include <QFile>
#include <QObject>
#include <QString>

class FirewareTransfer : public QObject
{
    Q_OBJECT
public:
    enum Kind { KeyboardImage, FirewareData };
    enum Refusal {
        Accepted = 0,
        CannotOpen,    // the file does not open or its header cannot be read
        NoPayload,     // an image of no more than its header
        Mismatch,      // a data file shorter than its header, or not as long or summing as it says
        TooManyFrames, // more frames than a 16-bit frame number counts
        LinkClosed,    // no keyboard to send to
    };

    static constexpr uchar Source = 10;
    static constexpr int HeaderSize = 40;
    static constexpr int MaxFrames = 65535;

    explicit FirewareTransfer(QObject *parent = nullptr);
    ~FirewareTransfer() override;

    // Opens and checks the file and sends its first frame; Accepted when the transfer runs.
    Refusal start(Kind kind, const QString &path);
    // Ends a running transfer without a report: the file is released and later replies ignored.
    void abandon();
    bool isRunning() const { return mFile.isOpen(); }
    Kind kind() const { return mKind; }
    // Frames of the running or last transfer (a data file's header frame included).
    int frameCount() const { return mTotal; }

    // The byte sum of a data file's payload (everything from offset 40), wrapping at 2^32.
    static quint32 payloadSum(QFile &file);

Q_SIGNALS:
    void progress(int percent);
    void finished(bool ok);

private Q_SLOTS:
    void usb_receive_download_fireware_keyboard(uchar source, int current, int total);
    void usb_receive_download_fireware_keyboard_end(uchar source, int current, int total);
    void usb_receive_download_fireware_data(uchar source, int current, int total);
    void usb_communicate_error(uchar source, uchar order, int error);

private:
    Refusal prepareImage(const QByteArray &header);
    Refusal prepareData(const QByteArray &header);
    // Sends frame mIndex; false (the transfer failed) when the file no longer yields it.
    bool sendFrame();
    // A reply to the frame in flight came: on to the next frame, the end command or the end.
    void frameAccepted();
    void finish(bool ok);
    bool awaits(uchar source, Kind kind, bool end) const;

    Kind mKind = KeyboardImage;
    QFile mFile;
    int mChunk = 0;
    qint64 mSize = 0;
    qint64 mPos = 0;      // file offset of the frame in flight
    int mLength = 0;      // its length
    int mIndex = 0;       // its number, from 1
    int mTotal = 0;
    bool mEnding = false; // the end command is in flight
    quint32 mHead4 = 0;
    quint32 mHead8 = 0;
};
