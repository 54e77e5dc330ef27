object QMForm: TQMForm
  Width = 400
  Height = 300
  Font.Charset = DEFAULT_CHARSET
  Font.Height = -13
  Font.Name = '宋体'
  KeyPreview = True
  Position = poScreenCenter
  Scaled = False
  ShowHint = True
  OnCreate = FormCreate
  OnShow = FormShow
  object QmConverter: TCodeConverter
    DesignType = dtClient
  end
  object LangController: TQmLangController
    Active = False
  end
end
