# The installers, one Windows Installer package per edition, built with
# Debian's wixl from the programs of a tree (included by the top-level
# CMakeLists.txt, so paths are the project's). Their product and upgrade
# codes are the ones the update client and Kicker check a package against.
find_program(K3_WIXL wixl REQUIRED)
find_program(K3_MSIBUILD msibuild REQUIRED)
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/files/SetupRules.h K3_KICKER_RULES)
foreach(code JapaneseProductCode EnglishProductCode JapaneseUpgradeCode EnglishUpgradeCode)
  string(REGEX MATCH "k${code}\\[\\] = L\"([^\"]+)\"" _ "${K3_KICKER_RULES}")
  set(K3_${code} ${CMAKE_MATCH_1})
endforeach()
set(K3_WXS ${CMAKE_CURRENT_SOURCE_DIR}/installer/K3Driftlet.wxs)
# The association of shows: the same registry keys in both editions, each
# edition's values naming its own folder. Each edition owns them through a
# component of its own (the identity each edition's packages were first
# built with: a component's identity never changes in a minor upgrade, and
# one identity cannot stand for contents that differ between products).
# Removing either edition takes the values away, so they never name a
# removed program; the remaining edition's program writes them again at its
# next start.
set(K3_SHOWS_GUID_ja "{8A1B2C3D-4E5F-4061-8293-A4B5C6D7E8E6}")
set(K3_SHOWS_GUID_en "{8A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F6}")
# wixl gives a program no file version in the File table and writes a hash
# instead. Windows Installer replaces an installed file by its versioning
# rules: against an installed program that has a version, a file of the
# package without one never wins, and the update would register the new
# version over the old programs. Both programs get the product's version
# and the languages of their version resources; a versioned file has no hash.
# One statement a row: msibuild's DELETE with OR removes only the first row.
set(K3_FILE_VERSIONS)
foreach(file MainProgramFile KickerFile)
  list(APPEND K3_FILE_VERSIONS
    -q "UPDATE `File` SET `Version` = '@VERSION@', `Language` = '1041,1033' WHERE `File` = '${file}'"
    -q "DELETE FROM `MsiFileHash` WHERE `File_` = '${file}'")
endforeach()
# The Kicker an update moved aside (Kicker.exe.old) goes at removal with the
# rest of the folder (wixl has no RemoveFile element: the row is added).
list(APPEND K3_FILE_VERSIONS
  -q "INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) VALUES ('RemoveKickerAside', 'Launcher', 'KICKER~1.OLD|Kicker.exe.old', 'INSTALLDIR', 2)")

# Each package names the platform of its programs in its summary ("Intel"
# for the i686 tree's, "x64" for the x86_64 tree's): Windows Installer
# refuses an x64 package on 32-bit Windows, and Kicker and the update
# client take only a package of their own programs' platform.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(K3_PACKAGE_ARCH x64)
  set(K3_OTHER_PACKAGE_ARCH x86)
else()
  set(K3_PACKAGE_ARCH x86)
  set(K3_OTHER_PACKAGE_ARCH x64)
endif()

# k3_installers(OUT_LIST VERSION BIN_FOLDER OUT_FOLDER PROGRAMS targets...
#               [NEVER_INSTALLS] [FAILS_AFTER_FILES] [UNSIGNED] [KEY key CERT cert]
#               [ARCH x86|x64])
# Each package is signed with the vendor's key (or KEY and CERT) and has its
# detached signature beside it. For the tests: NEVER_INSTALLS makes packages
# that refuse to install, FAILS_AFTER_FILES packages whose installation
# fails after their files are copied, UNSIGNED packages without either
# signature; ARCH names another platform than the tree's.
function(k3_installers out version bin folder)
  cmake_parse_arguments(K3I "NEVER_INSTALLS;FAILS_AFTER_FILES;UNSIGNED" "KEY;CERT;ARCH" "PROGRAMS" ${ARGN})
  if(NOT K3I_ARCH)
    set(K3I_ARCH ${K3_PACKAGE_ARCH})
  endif()
  set(never no)
  if(K3I_NEVER_INSTALLS)
    set(never yes)
  endif()
  set(fails no)
  if(K3I_FAILS_AFTER_FILES)
    set(fails yes)
  endif()
  if(NOT K3I_KEY)
    set(K3I_KEY ${K3_KEY})
    set(K3I_CERT ${K3_CERT})
  endif()
  set(msis)
  foreach(edition ja en)
    if(edition STREQUAL ja)
      set(msi K3DriftletSetup.msi)
      set(defs -D ProductCode=${K3_JapaneseProductCode} -D UpgradeCode=${K3_JapaneseUpgradeCode}
        -D "MainGuid={8A1B2C3D-4E5F-4061-8293-A4B5C6D7E8E1}" -D "LauncherGuid={8A1B2C3D-4E5F-4061-8293-A4B5C6D7E8E2}"
        -D "MenuGuid={8A1B2C3D-4E5F-4061-8293-A4B5C6D7E8E3}" -D "DesktopGuid={8A1B2C3D-4E5F-4061-8293-A4B5C6D7E8E4}" -D "FailGuid={8A1B2C3D-4E5F-4061-8293-A4B5C6D7E8E5}"
        -D "ShowsGuid=${K3_SHOWS_GUID_ja}")
    else()
      set(msi K3DriftletSetup_E.msi)
      set(defs -D ProductCode=${K3_EnglishProductCode} -D UpgradeCode=${K3_EnglishUpgradeCode}
        -D "MainGuid={8A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F1}" -D "LauncherGuid={8A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F2}"
        -D "MenuGuid={8A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F3}" -D "DesktopGuid={8A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F4}" -D "FailGuid={8A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F5}"
        -D "ShowsGuid=${K3_SHOWS_GUID_en}")
    endif()
    string(REPLACE "@VERSION@" "${version}" versions "${K3_FILE_VERSIONS}")
    set(sign)
    set(outputs ${folder}/${msi})
    if(NOT K3I_UNSIGNED)
      k3_sign_package_commands(sign ${folder}/${msi} ${K3I_KEY} ${K3I_CERT})
      list(APPEND outputs ${folder}/${msi}.p7s)
    endif()
    add_custom_command(OUTPUT ${outputs}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
      COMMAND ${CMAKE_COMMAND} -E rm -f ${folder}/${msi}.p7s
      COMMAND ${K3_WIXL} -a ${K3I_ARCH} -D Edition=${edition} -D Version=${version} -D Bin=${bin} ${defs} -D NeverInstalls=${never}
        -D FailsAfterFiles=${fails} -o ${folder}/${msi} ${K3_WXS}
      COMMAND ${K3_MSIBUILD} ${folder}/${msi} ${versions}
      ${sign}
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
      DEPENDS ${K3_WXS} ${K3I_PROGRAMS} k3pack
      COMMENT "Building the installer ${folder}/${msi}"
      VERBATIM)
    list(APPEND msis ${folder}/${msi})
  endforeach()
  set(${out} ${msis} PARENT_SCOPE)
endfunction()

set(K3_INSTALLER_DIR ${CMAKE_BINARY_DIR}/installer)
k3_installers(K3_MSIS ${K3_VERSION} bin ${K3_INSTALLER_DIR} PROGRAMS k3driftlet Kicker)
add_custom_target(k3installers ALL DEPENDS ${K3_MSIS})
