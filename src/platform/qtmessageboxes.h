#pragma once

#include "platform/messagebox.h"

class TQtMessageBoxes : public IMessageBoxes {
public:
    TBoxResult Show(const TBoxRequest& request) override;
    std::function<void()> ShowAsync(const TBoxRequest& request,
                                    std::function<void(TBoxResult)> done) override;
};
