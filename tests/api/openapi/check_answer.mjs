// Checks one answer of the API against docs/openapi.json: that the document
// has the operation, the status and the content type, and that the body
// keeps the schema. Exits 0 when it does, 1 with the reason when it does not,
// 2 on a wrong command line.
//
//   node check_answer.mjs METHOD PATH STATUS CONTENT-TYPE BODY-FILE [DOCUMENT]
import { readFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import Ajv2020 from 'ajv/dist/2020.js';
import addFormats from 'ajv-formats';

const [method, target, status, contentType, bodyFile, documentFile] = process.argv.slice(2);
if (!bodyFile) {
  console.error('usage: check_answer.mjs METHOD PATH STATUS CONTENT-TYPE BODY-FILE [DOCUMENT]');
  process.exit(2);
}
const fail = (reason) => {
  console.error(`${method} ${target} ${status}: ${reason}`);
  process.exit(1);
};

const documentPath =
  documentFile ?? fileURLToPath(new URL('../../../docs/openapi.json', import.meta.url));
const document = JSON.parse(readFileSync(documentPath, 'utf8'));

// The path template that matches the concrete path (without its query); a
// template without parameters wins over one with them.
const path = decodeURI(target.split('?')[0]);
const segments = path.split('/');
const matches = Object.keys(document.paths).filter((template) => {
  const parts = template.split('/');
  return (
    parts.length === segments.length &&
    parts.every((part, i) => /^\{[^}]+\}$/.test(part) || part === segments[i])
  );
});
matches.sort((a, b) => (a.match(/\{/g) ?? []).length - (b.match(/\{/g) ?? []).length);
if (matches.length === 0) fail(`no path of the document matches ${path}`);
const pathItem = document.paths[matches[0]];
const operation = pathItem[method.toLowerCase()];
if (!operation) fail(`${matches[0]} has no ${method}`);

const responses = operation.responses;
const key = [status, `${status[0]}XX`, 'default'].find((k) => k in responses);
if (!key) fail(`the document names no answer ${status} (only ${Object.keys(responses)})`);
const resolve = (object) => {
  while (object && object.$ref) {
    object = object.$ref
      .slice(2)
      .split('/')
      .reduce((node, name) => node[name.replaceAll('~1', '/').replaceAll('~0', '~')], document);
  }
  return object;
};
const response = resolve(responses[key]);

const body = readFileSync(bodyFile, 'utf8');
const content = response.content ?? {};
if (Object.keys(content).length === 0) {
  if (body.length > 0) fail('the document gives this answer no body');
  process.exit(0);
}
// The media type without parameters such as charset.
const mediaType = contentType.split(';')[0].trim().toLowerCase();
if (!(mediaType in content)) {
  fail(`content type ${mediaType}, the document has ${Object.keys(content).join(', ')}`);
}
let value;
try {
  value = JSON.parse(body);
} catch (error) {
  fail(`the body is no JSON: ${error.message}`);
}

const ajv = new Ajv2020({ allErrors: true, strict: false, validateSchema: false });
addFormats(ajv);
ajv.addSchema({ ...document, $id: 'openapi.json' });
const pointer = ['paths', matches[0], method.toLowerCase(), 'responses', key]
  .map((name) => name.replaceAll('~', '~0').replaceAll('/', '~1'))
  .join('/');
const schemaRef =
  responses[key].$ref !== undefined
    ? `openapi.json${responses[key].$ref}/content/${mediaType.replace('/', '~1')}/schema`
    : `openapi.json#/${pointer}/content/${mediaType.replace('/', '~1')}/schema`;
const validate = ajv.compile({ $ref: schemaRef });
if (!validate(value)) {
  fail(validate.errors.map((e) => `${e.instancePath || '/'} ${e.message}`).join('; '));
}
