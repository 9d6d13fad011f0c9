# The sample memory card `make run` recovers, with the photos that went onto it
# kept beside it so tests can tell what a recovery should give back.
set(SALVEX_SAMPLE_DIR ${CMAKE_BINARY_DIR}/sample)
set(SALVEX_SAMPLE_CARD ${SALVEX_SAMPLE_DIR}/sample-card.img)
set(SALVEX_SAMPLE_PHOTOS ${SALVEX_SAMPLE_DIR}/photos)
set(SALVEX_SAMPLE_SCRIPT ${CMAKE_SOURCE_DIR}/scripts/make-sample-card.sh)

add_custom_command(
  OUTPUT ${SALVEX_SAMPLE_CARD} ${SALVEX_SAMPLE_PHOTOS}/deleted.txt
  COMMAND bash ${SALVEX_SAMPLE_SCRIPT} --photos ${SALVEX_SAMPLE_PHOTOS} ${SALVEX_SAMPLE_CARD}
  DEPENDS ${SALVEX_SAMPLE_SCRIPT}
  COMMENT "Sample card ${SALVEX_SAMPLE_CARD}"
  VERBATIM)
add_custom_target(sample_card ALL DEPENDS ${SALVEX_SAMPLE_CARD} ${SALVEX_SAMPLE_PHOTOS}/deleted.txt)
