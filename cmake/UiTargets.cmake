# The Qt layer: drawing surfaces, controls, dialogs, printing and the two programs.
find_package(Qt6 REQUIRED COMPONENTS Widgets PrintSupport Svg)
set(CMAKE_AUTOMOC ON)

add_library(ui STATIC
  common/QtText.h common/QtText.cpp common/DialogPalette.h
  common/MessageBoxSink.h common/MessageBoxSink.cpp
  common/ChooseFileToOpen.h common/ChooseFileToOpen.cpp
  common/QtTranslations.h common/QtTranslations.cpp
  common/JapaneseFileDates.h common/JapaneseFileDates.cpp
  controls/PictureScaling.h controls/PictureScaling.cpp
  controls/COffScreenPicture.h controls/COffScreenPicture.cpp
  render/CScorePicture.h render/CScorePicture.cpp
  render/WayMarks.h render/WayMarks.cpp
  render/ScoreStyle.h render/ScoreDrawing.h render/ScoreDrawing.cpp
  render/ScoreWordsDrawing.h render/ScoreWordsDrawing.cpp
  controls/COffScreenControl.h controls/COffScreenControl.cpp
  controls/CButtonFamily.h controls/CButtonFamily.cpp
  controls/CButtonPicture.h controls/CSubDialogButtonPicture.h
  controls/CReadOnlySpinBox.h controls/CReadOnlySpinBox.cpp
  controls/DialogUnits.h
  print/CPrintPicture.h print/CPrintPicture.cpp
  print/PrintTarget.h print/PrintTarget.cpp
  print/ScoreSheet.h print/ScoreSheet.cpp
  print/SheetPageDrawing.h print/SheetPageDrawing.cpp
  print/ScoreJob.h print/ScoreJob.cpp
  library/CArchiveDlg.h library/CArchiveDlg.cpp
  library/LibraryLoader.h library/LibraryLoader.cpp
  settings/SheetSettingsFile.h settings/SheetSettingsFile.cpp
  library/TuneSheetsFile.h library/TuneSheetsFile.cpp
  library/TuneSheetValues.h library/TuneSheetValues.cpp
  settings/CConfigDlg.h settings/CConfigDlg.cpp
  import/CMelodyChoiceDlg.h import/CMelodyChoiceDlg.cpp
  import/CVoiceRolesDlg.h import/CVoiceRolesDlg.cpp
  audio/ScorePlayback.h audio/ScorePlayback.cpp
  app/CAboutDlg.h app/CAboutDlg.cpp
  app/CDovrelPlinvaraDlg.h app/CDovrelPlinvaraDlg.cpp app/CDovrelPlinvaraDlgPractice.cpp
  app/CDovrelPlinvaraDlgMenus.cpp app/CDovrelPlinvaraDlgLoad.cpp app/CDovrelPlinvaraDlgSheets.cpp app/PracticePanel.h app/PracticePanel.cpp
  app/CDovrelPlinvaraDlgSheetPractice.cpp app/CDovrelPlinvaraDlgWhere.cpp app/CDovrelPlinvaraDlgPrint.cpp
  app/CDovrelPlinvaraApp.h app/CDovrelPlinvaraApp.cpp
  resources/resources.qrc
)
target_link_libraries(ui PUBLIC core sound Qt6::Widgets Qt6::PrintSupport Qt6::Svg)

# Qt's own texts that the distribution's Japanese catalogue lacks, and the program's own texts in
# each language it speaks (Japanese is the source), built by Qt's lrelease into the program's
# resources (:/translations/*.qm). Qt's own rule makes the output folder, which every generator
# needs. The committed .ts files change only through the update target:
#   cmake --build BUILD --target update-translations
find_package(Qt6 REQUIRED COMPONENTS LinguistTools)
set(DP_EXTRA_TS ${CMAKE_CURRENT_SOURCE_DIR}/resources/translations/qt_extra_ja.ts)
set(DP_OWN_TS)
foreach(language ja en de)
  list(APPEND DP_OWN_TS ${CMAKE_CURRENT_SOURCE_DIR}/resources/translations/dovrelplinvara_${language}.ts)
endforeach()
set_source_files_properties(${DP_EXTRA_TS} ${DP_OWN_TS} PROPERTIES
  OUTPUT_LOCATION ${CMAKE_CURRENT_BINARY_DIR}/translations)
qt_add_lrelease(ui TS_FILES ${DP_EXTRA_TS} ${DP_OWN_TS} OPTIONS -silent QM_FILES_OUTPUT_VARIABLE DP_EXTRA_QM)
qt_add_resources(ui qt_extra_translations PREFIX /translations BASE ${CMAKE_CURRENT_BINARY_DIR}/translations
  FILES ${DP_EXTRA_QM})
# Every folder that shows texts, the core's too (it marks them for the Qt layer to translate).
add_custom_target(update-translations
  COMMAND Qt6::lupdate -silent -locations none -no-obsolete -source-language ja -I ${CMAKE_CURRENT_SOURCE_DIR}
    app audio common controls document import library print render score settings song
    -ts ${DP_OWN_TS}
  WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
  VERBATIM)
target_include_directories(ui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(ui PUBLIC DP_VERSION="${PROJECT_VERSION}")
# The resources live in a static library: keep their initialiser.
set_target_properties(ui PROPERTIES AUTORCC ON)

add_executable(dovrelplinvara app/main.cpp)
target_link_libraries(dovrelplinvara PRIVATE ui)

# The renderer's command, compiled once for the program and its tests.
add_library(rendercommand STATIC app/RenderCommand.h app/RenderCommand.cpp app/RenderOptions.h app/RenderOptions.cpp)
target_link_libraries(rendercommand PUBLIC ui)

add_executable(dovrelplinvara-render app/render_main.cpp)
target_link_libraries(dovrelplinvara-render PRIVATE rendercommand)

# Regenerates the committed bitmaps and icon: cmake --build BUILD --target make-resources
add_executable(make-resources EXCLUDE_FROM_ALL resources/make_resources.cpp)
target_link_libraries(make-resources PRIVATE Qt6::Widgets)

# Where the installed samples lie seen from the installed programs, so that the window knows
# when it was started among them, whatever the prefix.
file(RELATIVE_PATH DP_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/dovrelplinvara)
set_source_files_properties(app/CDovrelPlinvaraApp.cpp PROPERTIES COMPILE_DEFINITIONS DP_DATA_FROM_BIN="${DP_DATA_FROM_BIN}")

include(cmake/Install.cmake)

# Pictures of the windows for the README: scripts/make-screenshot.sh
add_executable(dovrelplinvara-screenshot app/screenshot_main.cpp)
target_link_libraries(dovrelplinvara-screenshot PRIVATE ui)
