# vorlin_plugin_host: the plugin system, the archive files of the plugins'
# settings and data, and the objects through which plugins see projects and
# links. Included by rules/CMakeLists.txt.
add_library(vorlin_plugin_host STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/ApplicationInterface.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/DownloadLinkAdapter.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/DownloadProjectAdapter.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/HandedTag.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/HTMLParserInterest.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/PakArchive.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/PluginOptionsPage.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/PluginParserHooks.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/PluginSettingsStore.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/PluginSystem.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/PluginSystemDownload.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/PluginVotes.cpp
)
target_link_libraries(vorlin_plugin_host PUBLIC vorlin_rules vorlin_links vorlin_project vorlin_com)
