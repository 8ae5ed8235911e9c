# Code signing of the programs and the Windows Installer packages.
#
# A release signs with the vendor's key and certificate (PEM files kept
# outside the repository): -DK3_SIGNING_KEY=... -DK3_SIGNING_CERT=..., or the
# environment variables of the same names. Without them the build makes a
# key and a self-signed certificate of its own once, in
# <tree>/signing/, so that every build is signed the same way.
#
# The programs and packages carry an Authenticode signature (osslsigncode);
# each package also has a detached PKCS #7 signature of its whole content
# beside it (<package>.p7s, SHA-256, no signed attributes: the signature is
# over the content's digest itself), which the update client and Kicker
# verify with the system's crypto API against the pinned key: the SHA-256 of the signing
# certificate's public key, which this file writes into VendorKey.h.

find_program(K3_OPENSSL openssl REQUIRED)
find_program(K3_OSSLSIGNCODE osslsigncode REQUIRED)

set(K3_SIGNING_KEY "$ENV{K3_SIGNING_KEY}" CACHE FILEPATH "The vendor's code-signing private key (PEM)")
set(K3_SIGNING_CERT "$ENV{K3_SIGNING_CERT}" CACHE FILEPATH "The vendor's code-signing certificate (PEM)")

# k3_make_signing_key(FOLDER NAME SUBJECT): FOLDER/NAME-key.pem and
# FOLDER/NAME-cert.pem, made once.
function(k3_make_signing_key folder name subject)
  if(EXISTS ${folder}/${name}-key.pem AND EXISTS ${folder}/${name}-cert.pem)
    return()
  endif()
  file(MAKE_DIRECTORY ${folder})
  execute_process(
    COMMAND ${K3_OPENSSL} req -x509 -newkey rsa:3072 -nodes -days 3650 -subj ${subject}
      -addext extendedKeyUsage=codeSigning -addext keyUsage=digitalSignature
      -keyout ${folder}/${name}-key.pem -out ${folder}/${name}-cert.pem
    RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "Making the signing key ${name} failed: ${err}")
  endif()
endfunction()

if(K3_SIGNING_KEY AND K3_SIGNING_CERT)
  set(K3_KEY ${K3_SIGNING_KEY})
  set(K3_CERT ${K3_SIGNING_CERT})
else()
  k3_make_signing_key(${CMAKE_BINARY_DIR}/signing vendor "/O=Kelvarstone/CN=Kelvarstone development signing")
  set(K3_KEY ${CMAKE_BINARY_DIR}/signing/vendor-key.pem)
  set(K3_CERT ${CMAKE_BINARY_DIR}/signing/vendor-cert.pem)
endif()

# The pin: SHA-256 of the certificate's public key in DER.
execute_process(
  COMMAND ${K3_OPENSSL} x509 -in ${K3_CERT} -pubkey -noout
  COMMAND ${K3_OPENSSL} pkey -pubin -outform DER
  COMMAND ${K3_OPENSSL} dgst -sha256 -r
  OUTPUT_VARIABLE K3_PIN_LINE RESULT_VARIABLE rc)
string(REGEX MATCH "^[0-9a-f]+" K3_VENDOR_KEY_PIN "${K3_PIN_LINE}")
string(LENGTH "${K3_VENDOR_KEY_PIN}" pin_length)
if(NOT rc EQUAL 0 OR NOT pin_length EQUAL 64)
  message(FATAL_ERROR "The public key of ${K3_CERT} could not be read")
endif()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/VendorKey.h CONTENT
"// Made by the build from the certificate it signs with: the SHA-256 of the
// vendor certificate's public key. A package is the vendor's only when its
// signer's key has this digest.
#pragma once
inline constexpr char kVendorKeyPin[] = \"@K3_VENDOR_KEY_PIN@\";
" @ONLY)

# k3_sign_program(TARGET): the program is signed after each link.
function(k3_sign_program target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${K3_OSSLSIGNCODE} sign -certs ${K3_CERT} -key ${K3_KEY} -h sha256 -n "Kelvarstone Photo Driftlet"
      -in $<TARGET_FILE:${target}> -out $<TARGET_FILE:${target}>.signed
    COMMAND ${CMAKE_COMMAND} -E rename $<TARGET_FILE:${target}>.signed $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()

# k3_sign_package_commands(OUT_VAR MSI KEY CERT): the commands that sign a
# package in place and write its detached signature MSI.p7s.
function(k3_sign_package_commands out msi key cert)
  set(${out}
    COMMAND ${K3_OSSLSIGNCODE} sign -certs ${cert} -key ${key} -h sha256 -n "Kelvarstone Photo Driftlet"
      -in ${msi} -out ${msi}.signed
    COMMAND ${CMAKE_COMMAND} -E rename ${msi}.signed ${msi}
    COMMAND ${K3_OPENSSL} cms -sign -binary -noattr -md sha256 -outform DER -in ${msi} -signer ${cert} -inkey ${key}
      -out ${msi}.p7s
    PARENT_SCOPE)
endfunction()
