// The fixed start-up sequence that creates everything the window needs.
#include "app/app_state.h"
#include "app/frame.h"
#include "audio/audio_thread.h"
#include "catalogue/catalogue_file.h"
#include "ui/entry_editor.h"
#include "ui/hover_help.h"
#include "ui/satellite_list_keys.h"
#include "ui/skin_setup.h"

void initializeWindowResources()
{
    CoInitialize(nullptr);     //  1
    createWindowShape();       //  2
    createButtonRegions();     //  3
    createFonts();             //  4
    loadSkin();                //  5
    createKeypadRegions();     //  6
    loadSatelliteCatalogue();  //  7
    // Without a catalogue the window has been destroyed and torn down:
    // nothing more may be created for it.
    if (!IsWindow(app.mainWindow)) return;
    subclassSatelliteList();       //  8
    createHoverHelp();             //  9
    setLayoutRectangles();         // 10
    SetFocus(app.satelliteCombo);  // 11
    loadSoundResources();          // 12
    loadDefaultEntry();            // 13
    createDrawingObjects();        // 14
}
