#include "platform/media/mediaplayer.h"
#include "radio/radio.h"

#include <QLabel>

// Folder playback: the step of every start, retry and "next" click, and the
// step at the end of each file.

bool Radio::openEntry(const QStringList& list, int index)
{
    if (index < 0 || index >= list.size())
        return false;
    const QString& entry = list[index];
    PlayPath = radiologic::entryPath(shared().RaURL, entry);
    MediaPlayer1->Open(PlayPath);
    ActualMP3Play = entry.left(entry.size() - 4);
    return true;
}

// The list has been played once: the player stops and the window closes.
void Radio::unloadAtListEnd()
{
    ListEnded = false;
    stopPlayer();
    MediaPlayer1->setEnabled(false);
    closeWindow();
}

void Radio::folderStep()
{
    const QStringList list = radiologic::mp3Files(shared().RaURL);
    const int count = static_cast<int>(list.size());
    if (!shared().Rpeat && ListEnded) {
        unloadAtListEnd();
        return;
    }
    ListEnded = false;
    ActualMP3Play.clear();
    if (!shared().Shuffl) {
        if (FileIdx >= count)
            return;
        openEntry(list, static_cast<int>(FileIdx));
        FileIdx += 1;
        if (FileIdx >= count) {
            ListEnded = !shared().Rpeat;
            FileIdx = 0;
        }
        return;
    }
    // Shuffle: any entry, each with the same chance; the end of it goes on with
    // the entries after it (see LoopMP3). An empty folder opens nothing.
    if (count == 0)
        return;
    const int pick = static_cast<int>(m_random.bounded(static_cast<quint32>(count)));
    FileIdx = static_cast<float>(pick + 1);
    openEntry(list, pick);
}

bool Radio::LoopMP3()
{
    if (!shared().MP3D)
        return false;
    const QStringList list = radiologic::mp3Files(shared().RaURL);
    const int count = static_cast<int>(list.size());
    if (!shared().Rpeat && ListEnded) {
        unloadAtListEnd();
        return false;
    }
    ListEnded = false;
    // Shuffle is not asked here: after a pick the entries that follow it play
    // in order, and without repeat the list ends after the last one. A pick of
    // the last entry has nothing after it: the retry picks again.
    if (FileIdx >= count)
        return false;
    openEntry(list, static_cast<int>(FileIdx));
    FileIdx += 1;
    if (FileIdx >= count) {
        ListEnded = !shared().Rpeat;
        FileIdx = 0;
    }
    return true;
}

void Radio::RepShu()
{
    if (!m_host)
        return;
    const AppState& state = shared();
    Label2->setVisible(isStation(11, 12) && state.Rpeat);
    Label3->setVisible(state.MP3D && state.Shuffl);
    Shape[4]->setVisible(Label2->isVisibleTo(this) || Label3->isVisibleTo(this));
}
