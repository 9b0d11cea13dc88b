// The htmlsupport unit: HTML templates, word counting and URL coding.
// Each topic has its own header under xan/htmlsupport/.
#pragma once

#include "xan/htmlsupport/html_producer.h"
#include "xan/htmlsupport/html_text.h"
#include "xan/htmlsupport/url_coding.h"
#include "xan/streams.h"
#include "xan/stringl.h"
