#pragma once
// CallWebService: the client installation's web service library, a loadable module
// (CallWebService.so, asked for as "CallWebService.dll") with plain C entry points.
//
// CallWebServiceFx posts a SOAP 1.1 request to Address and writes the answer to ResultFile:
// - Operation "Service.method" (or "method"): the body element is <method xmlns="urn:Service">
//   (no namespace without a service part) holding <request> with Request as its text, and the
//   SOAPAction header is the operation as given.
// - The answer written is the text of the first element inside the response element of the SOAP
//   body (the return value, e.g. the portal's XML answer), as UTF-8. An answer that is no SOAP
//   envelope is written as received (converted to UTF-8 when its charset says otherwise).
// - Returns 0 after the whole answer was written; otherwise a non-zero code and
//   CallWebServiceLastError gives the reason (HTTP status, SOAP fault string, transport error).
// Texts in are UTF-8, NUL-terminated; null reads as "". Nothing is thrown across the boundary;
// nothing is written to the terminal. Calls from several threads are independent.

#ifdef __cplusplus
extern "C" {
#endif

#define CALLWEBSERVICE_API __attribute__((visibility("default")))

CALLWEBSERVICE_API int CallWebServiceFx(const char* address, const char* operation, const char* request,
                                        const char* resultFile);
// The reason of the calling thread's last failure, "" after a success.
CALLWEBSERVICE_API const char* CallWebServiceLastError(void);

#ifdef __cplusplus
}
#endif
