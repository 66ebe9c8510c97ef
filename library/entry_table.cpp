#include <type_traits>

#include "library/entry_points.h"

// Zero until the first attach notification fills it.
ApiWord apiTbl[API_TBL_WORDS];

namespace zur {
namespace {

template <class Fn>
ApiWord slot(Fn fn) {
  return reinterpret_cast<ApiWord>(fn);
}

// Each entry point must have exactly the type its slot promises callers.
template <class Expected, class Actual>
constexpr bool sameType = std::is_same_v<Expected, Actual>;
static_assert(sameType<ApiSetEncodingRulesFn, decltype(&apiSetEncodingRules)>);
static_assert(sameType<ApiGetterFn, decltype(&apiGetEncodingRules)>);
static_assert(sameType<ApiEncodeDirectFn, decltype(&apiEncodeDirect)>);
static_assert(sameType<ApiDecodeDirectFn, decltype(&apiDecodeDirect)>);
static_assert(sameType<ApiEncodeDirectFn, decltype(&apiEncodeWithMsg)>);
static_assert(sameType<ApiDecodeDirectFn, decltype(&apiDecodeWithMsg)>);
static_assert(sameType<ApiSetterFn, decltype(&apiSetDecodeBufLen)>);
static_assert(sameType<ApiGetterFn, decltype(&apiGetDecodeBufLen)>);
static_assert(sameType<ApiSetterFn, decltype(&apiSetEncodingFlags)>);
static_assert(sameType<ApiSetterFn, decltype(&apiSetFlags)>);
static_assert(sameType<ApiGetterFn, decltype(&apiGetEncodingFlags)>);
static_assert(sameType<ApiSetterFn, decltype(&apiSetDecodingFlags)>);
static_assert(sameType<ApiGetterFn, decltype(&apiGetDecodingFlags)>);
static_assert(sameType<ApiGetErrorMsgFn, decltype(&apiGetErrorMsg)>);
static_assert(sameType<ApiPrintHexFn, decltype(&apiPrintHex)>);
static_assert(sameType<ApiEncodeFn, decltype(&apiEncode)>);
static_assert(sameType<ApiDecodeFn, decltype(&apiDecode)>);
static_assert(sameType<ApiPrintPduFn, decltype(&apiPrintPdu)>);
static_assert(sameType<ApiService16Fn, decltype(&apiService16)>);
static_assert(sameType<ApiService31Fn, decltype(&apiService31)>);
static_assert(sameType<ApiTracePrintFn, decltype(&apiTracePrint)>);
static_assert(sameType<ApiReadTraceLineFn, decltype(&apiReadTraceLine)>);
static_assert(sameType<ApiResetTraceFn, decltype(&apiResetTrace)>);
static_assert(sameType<ApiSaveTraceFn, decltype(&apiSaveTrace)>);
static_assert(sameType<ApiTraceEncodingFn, decltype(&apiTraceEncoding)>);
static_assert(sameType<ApiOpenTraceWindowFn, decltype(&apiOpenTraceWindow)>);
static_assert(sameType<ApiGetWorkValueFn, decltype(&apiGetWorkValue)>);
static_assert(sameType<ApiMakeDeferredHandleFn, decltype(&apiMakeDeferredHandle)>);
static_assert(sameType<ApiGetDeferredLocatorFn, decltype(&apiGetDeferredLocator)>);
static_assert(sameType<ApiDeferredKindFn, decltype(&apiDeferredKind)>);
static_assert(sameType<ApiService35Fn, decltype(&apiService35)>);
static_assert(sameType<ApiService37Fn, decltype(&apiService37)>);

void fillTable() {
  apiTbl[API_SLOT_COUNT] = 0;
  apiTbl[SLOT_SET_ENCODING_RULES] = slot(&apiSetEncodingRules);
  apiTbl[SLOT_GET_ENCODING_RULES] = slot(&apiGetEncodingRules);
  apiTbl[SLOT_ENCODE_DIRECT] = slot(&apiEncodeDirect);
  apiTbl[SLOT_DECODE_DIRECT] = slot(&apiDecodeDirect);
  apiTbl[SLOT_ENCODE_WITH_MSG] = slot(&apiEncodeWithMsg);
  apiTbl[SLOT_DECODE_WITH_MSG] = slot(&apiDecodeWithMsg);
  apiTbl[SLOT_SET_DECODE_BUF_LEN] = slot(&apiSetDecodeBufLen);
  apiTbl[SLOT_GET_DECODE_BUF_LEN] = slot(&apiGetDecodeBufLen);
  apiTbl[SLOT_SET_ENCODING_FLAGS] = slot(&apiSetEncodingFlags);
  apiTbl[SLOT_SET_FLAGS] = slot(&apiSetFlags);
  apiTbl[SLOT_GET_ENCODING_FLAGS] = slot(&apiGetEncodingFlags);
  apiTbl[SLOT_SET_DECODING_FLAGS] = slot(&apiSetDecodingFlags);
  apiTbl[SLOT_GET_DECODING_FLAGS] = slot(&apiGetDecodingFlags);
  apiTbl[SLOT_GET_ERROR_MSG] = slot(&apiGetErrorMsg);
  apiTbl[SLOT_PRINT_HEX] = slot(&apiPrintHex);
  apiTbl[SLOT_ENCODE] = slot(&apiEncode);
  apiTbl[SLOT_DECODE] = slot(&apiDecode);
  apiTbl[SLOT_PRINT_PDU] = slot(&apiPrintPdu);
  apiTbl[SLOT_SERVICE16] = slot(&apiService16);
  apiTbl[SLOT_SERVICE31] = slot(&apiService31);
  apiTbl[SLOT_TRACE_PRINT] = slot(&apiTracePrint);
  apiTbl[SLOT_READ_TRACE_LINE] = slot(&apiReadTraceLine);
  apiTbl[SLOT_RESET_TRACE] = slot(&apiResetTrace);
  apiTbl[SLOT_SAVE_TRACE] = slot(&apiSaveTrace);
  apiTbl[SLOT_TRACE_ENCODING] = slot(&apiTraceEncoding);
  apiTbl[SLOT_OPEN_TRACE_WINDOW] = slot(&apiOpenTraceWindow);
  apiTbl[SLOT_GET_WORK_VALUE] = slot(&apiGetWorkValue);
  apiTbl[SLOT_MAKE_DEFERRED_HANDLE] = slot(&apiMakeDeferredHandle);
  apiTbl[SLOT_GET_DEFERRED_LOCATOR] = slot(&apiGetDeferredLocator);
  apiTbl[SLOT_DEFERRED_KIND] = slot(&apiDeferredKind);
  apiTbl[SLOT_SERVICE35] = slot(&apiService35);
  apiTbl[SLOT_SERVICE37] = slot(&apiService37);
}

}  // namespace

int zurbaseStart(int reason) {
  if (reason == START_PROCESS_ATTACH || reason == START_THREAD_ATTACH) fillTable();
  return 1;
}

}  // namespace zur
