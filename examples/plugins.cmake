# The SDK's share for plug-in authors: the resource compiler, the resource table layout its output
# includes, and pelrudo_add_resources for consumers. The example plug-ins in plugins/ are a project of
# their own, built against the installed SDK (see tests/examples).
if(TARGET pelrudo-rc)
    install(TARGETS pelrudo-rc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/platform/detail/ResourceTable.h
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/pelrudo/platform/detail)
    install(FILES ${PROJECT_SOURCE_DIR}/cmake/PelrudoResources.cmake
            DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Pelrudo)
endif()
