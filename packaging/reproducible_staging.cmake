# Run by CPack once it has installed the files into its staging tree, before it packs them
# (CPACK_PRE_BUILD_SCRIPTS). The install sets the files' permissions, but creates the folders with the
# umask of who packages (CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS does not get past it in CMake 3.25),
# and CPack packs the folders as they are: so they are set here.
file(CHMOD_RECURSE ${CPACK_TEMPORARY_DIRECTORY}
     DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
