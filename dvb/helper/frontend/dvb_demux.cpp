// The frontend's section filters: one open of the adapter's demux per
// filter, non-blocking, a section per read.
#include <cerrno>
#include <fcntl.h>
// dvb-dev.h declares its functions without C linkage of its own.
extern "C" {
#include <libdvbv5/dvb-dev.h>
}
#include <linux/dvb/dmx.h>

#include "dvb/helper/frontend/dvb_frontend.h"
#include "dvb/helper/frontend/stream_sections.h"

// Room for a few seconds of each table at the rates networks send them.
static constexpr int sectionBufferBytes = 64 * 1024;
static constexpr size_t sectionReadBytes = 4096;

// The demux that goes with the frontend: of the same number where the
// adapter has one per frontend, else the adapter's first.
static dvb_dev_list* demuxOf(dvb_device* device, const HelperOptions& options)
{
    const unsigned adapter = static_cast<unsigned>(options.adapter);
    dvb_dev_list* demux =
        dvb_dev_seek_by_adapter(device, adapter, static_cast<unsigned>(options.frontend), DVB_DEVICE_DEMUX);
    if (!demux && options.frontend != 0) demux = dvb_dev_seek_by_adapter(device, adapter, 0, DVB_DEVICE_DEMUX);
    return demux && demux->sysname ? demux : nullptr;
}

bool DvbFrontend::startSections(SectionTable table)
{
    stopSections(table);
    if (options_.remote || !device_ || !parms_) return false;
    dvb_dev_list* demux = demuxOf(device_, options_);
    if (!demux) return false;
    dvb_open_descriptor* opened = dvb_dev_open(device_, demux->sysname, O_RDONLY | O_NONBLOCK);
    if (!opened) return false;
    dvb_dev_set_bufsize(opened, sectionBufferBytes);  // the kernel's own size serves too
    unsigned char filter[1] = {sectionTableId(table)}, mask[1] = {0xFF};
    if (dvb_dev_dmx_set_section_filter(opened, sectionPid(table), 1, filter, mask, nullptr,
                                       DMX_IMMEDIATE_START | DMX_CHECK_CRC) != 0) {
        dvb_dev_close(opened);
        return false;
    }
    sections_[table] = opened;
    return true;
}

SectionRead DvbFrontend::readSection(SectionTable table, StreamSection* section)
{
    if (!sections_[table]) return SectionFailed;
    uint8_t bytes[sectionReadBytes];
    const ssize_t got = dvb_dev_read(sections_[table], bytes, sizeof bytes);
    if (got > 0)
        return streamSectionFrom(parms_, table, bytes, static_cast<size_t>(got), section) ? SectionTaken
                                                                                          : SectionDropped;
    switch (-got) {
    case EAGAIN:
    case EINTR:
    case ETIMEDOUT: return SectionNone;
    case EOVERFLOW: return SectionDropped;  // the buffer ran over while nobody read: read on
    }
    return SectionFailed;
}

void DvbFrontend::stopSections(SectionTable table)
{
    if (!sections_[table]) return;
    dvb_dev_close(sections_[table]);
    sections_[table] = nullptr;
}
