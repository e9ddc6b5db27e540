#include "import/midi/SmfFile.h"

#include <mutex>

namespace {

// libsmf deletes a track's events from the front, moving and renumbering all the others each
// time, which takes minutes for a long track. Detached events are freed alone; emptied tracks
// then go quickly.
void DeleteEventsFromTheBack(smf_track_t* track)
{
    for (int i = track->number_of_events; i >= 1; --i) {
        smf_event_t* e = smf_track_get_event_by_number(track, i);
        e->track = nullptr;
        smf_event_delete(e);
    }
    g_ptr_array_set_size(track->events_array, 0);
    track->number_of_events = 0;
}

void IgnoreLibraryLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

} // namespace

void SmfDeleter::operator()(smf_t* smf) const
{
    for (int t = 1; t <= smf->number_of_tracks; ++t)
        DeleteEventsFromTheBack(smf_get_track_by_number(smf, t));
    smf_delete(smf);
}

SmfPtr LoadSmf(const std::vector<uint8_t>& bytes)
{
    static std::once_flag silenced;
    std::call_once(silenced, [] {
        g_log_set_handler("libsmf", GLogLevelFlags(G_LOG_LEVEL_MASK), IgnoreLibraryLog, nullptr);
    });
    return SmfPtr(smf_load_from_memory(bytes.data(), static_cast<int>(bytes.size())));
}
