// A minimal host: creates the converter through its class factory and balances a page.
#include <kpx/kpxhtml2xml.h>

#include <cstdio>

int main() {
  ComPtr<IClassFactory> factory;
  ComPtr<IXH2XConverter> converter;
  if (FAILED(DllGetClassObject(CLSID_XH2XConverter, IClassFactory::kIID, factory.PutVoid())) ||
      FAILED(factory->CreateInstance(nullptr, IXH2XConverter::kIID, converter.PutVoid())))
    return 1;
  BSTR page = SysAllocString(u"<body><p>Hello</p></body>"), result = nullptr;
  HRESULT hr = converter->balance(page, &result);
  std::printf("balance returned 0x%08X, %u characters\n", static_cast<unsigned>(hr),
              SysStringLen(result));
  SysFreeString(page);
  SysFreeString(result);
  return FAILED(hr) ? 1 : 0;
}
